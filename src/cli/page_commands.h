#pragma once

#include <QString>

// The commands that can draw pages (reports as PDF, the listings) run in
// quarrix-cli-pages, the one program that links the GUI library for fonts and
// the PDF writer; quarrix-cli hands them over so that every other command
// starts without loading it. Both register them with these usages.
namespace PageCommands {

inline constexpr const char* reportUsage = "FILE.docx|FILE.pdf [--division NAME] [--activity NAME]";
inline constexpr const char* taxonomyUsage = "FILE.docx|FILE.pdf [--division NAME] [--group NAME]";
inline constexpr const char* listingsUsage
    = "FILE.pdf [--division NAME] [--activity NAME] [--group NAME] "
      "[--tables requirements,drivers,attributes,controls] [--sort identifier|division|activity]";

// The program that runs them: beside quarrix-cli in the build tree, in
// libexec/quarrix when installed. Empty when it is not found.
QString program();

}
