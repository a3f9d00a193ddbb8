#pragma once

// The process-wide Booleans shared by the tabs: the saved flag and the edit
// flags of the editing tabs. They live as long as the window.
struct SessionFlags {
    bool saved = true; // every change of the store is in an archive
    bool requirementEdit = false; // Requirements tab holds unsaved edits
    bool driverEdit = false; // Drivers tab holds unsaved edits
    bool profilingEdit = false; // Business Attributes panels hold unsaved clicks
    bool attributeEdit = false; // Security Attributes tab holds unsaved edits
    bool controlEdit = false; // Controls Database tab holds unsaved edits
    bool profilingDisplay = false; // attribute panels are laid out and follow driver moves
};
