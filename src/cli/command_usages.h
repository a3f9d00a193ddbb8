#pragma once

// The usages of the commands that quarrix-cli hands to a helper program (see
// helper_programs.h): both programs register them, so help reads the same.
namespace CommandUsages {

inline constexpr const char* report = "FILE.docx|FILE.pdf [--division NAME] [--activity NAME]";
inline constexpr const char* taxonomyReport = "FILE.docx|FILE.pdf [--division NAME] [--group NAME]";
inline constexpr const char* listingsUsage
    = "FILE.pdf [--division NAME] [--activity NAME] [--group NAME] "
      "[--tables requirements,drivers,attributes,controls] [--sort identifier|division|activity]";
inline constexpr const char* exportUsage = "FILE.xlsx [--division NAME] [--activity NAME] [--group NAME] "
                                           "[--tables requirements,drivers,attributes,controls]";
inline constexpr const char* importAttributes = "FILE";
inline constexpr const char* importControls = "FILE";
inline constexpr const char* upload = "[--division NAME]";
inline constexpr const char* testConnection = "";
inline constexpr const char* diff = "OLD NEW [--division NAME] [--format text|json|docx|pdf] [--output FILE]";

}
