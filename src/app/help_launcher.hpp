#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/messages.hpp"

namespace tavelin {

// One request to the platform to perform an operation ("Open") on a document with the program
// associated with its type.
struct DocumentRequest {
  std::string operation;
  std::string file;
  std::optional<std::string> parameters;
  std::optional<std::string> directory;
  std::int32_t showCommand = 1;  // show the window normally and activate it
};

class DocumentShell {
 public:
  virtual ~DocumentShell() = default;
  // The file is known to exist. Returns false when the platform refused the request.
  virtual bool Perform(const DocumentRequest& request) = 0;
};

// The desktop's "open with the associated program"; it knows no other operation.
class DesktopDocumentShell : public DocumentShell {
 public:
  bool Perform(const DocumentRequest& request) override;
};

struct HelpEnvironment {
  std::string programFolder;  // the folder that holds the running program
  DocumentShell& shell;
  MessageBoxes& messages;
};

inline constexpr const char* kHelpFileName = "Rizezuz.chm";

// Opens the named file from the program's folder with its associated program. A missing file is
// reported with its full path; a file that no program opens is passed over silently.
void ShowHelpFile(const std::string& fileName, const HelpEnvironment& environment);


// Asks the platform to perform the operation on the file and reports a file-not-found result.
void ExecuteDocument(const HelpEnvironment& environment, const std::string& operation,
                     const std::string& file, const std::optional<std::string>& parameters,
                     const std::optional<std::string>& directory, std::int32_t showCommand);

}  // namespace tavelin
