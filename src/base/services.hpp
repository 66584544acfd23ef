#pragma once

#include <string>

#include "base/messages.hpp"
#include "base/number_text.hpp"
#include "base/record_files.hpp"

namespace tavelin {

// What the program's routines reach outside themselves: message boxes, the program end, the table
// of open files, the user's number locale and the folder the program runs from. The main window
// owns the real ones; tests build their own.
struct Services {
  MessageBoxes& messages;
  ProgramEnd& end;
  RecordFiles& files;
  NumberLocale locale;
  std::string programFolder;
  // Where a scan writes; empty for TavelinOutput.dat in programFolder. The command-line companion
  // names its own file here so that it runs the very same scan.
  std::string outputPath = {};

  Reporting MakeReporting() const { return Reporting{messages, locale}; }
};

}  // namespace tavelin
