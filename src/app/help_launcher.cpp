#include "app/help_launcher.hpp"

#include <QDesktopServices>
#include <QUrl>
#include <filesystem>
#include <system_error>

#include "base/run_time_error.hpp"

namespace tavelin {

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Result codes in the manner of the desktop shell: above 32 is success.
constexpr int kResultFileNotFound = 2;
constexpr int kResultAccessDenied = 5;
constexpr int kResultNoAssociation = 31;
constexpr int kResultSuccess = 42;

int PerformRequest(DocumentShell& shell, const DocumentRequest& request) {
  std::error_code error;
  const bool exists = std::filesystem::exists(request.file, error);
  // A folder that cannot be searched is some other failure, passed over as the shell would.
  if (error) return kResultAccessDenied;
  if (!exists) return kResultFileNotFound;
  return shell.Perform(request) ? kResultSuccess : kResultNoAssociation;
}

}  // namespace

bool DesktopDocumentShell::Perform(const DocumentRequest& request) {
  if (QString::fromStdString(request.operation).compare("Open", Qt::CaseInsensitive) != 0) {
    return false;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(request.file)));
}

void ExecuteDocument(const HelpEnvironment& environment, const std::string& operation,
                     const std::string& file, const std::optional<std::string>& parameters,
                     const std::optional<std::string>& directory, std::int32_t showCommand) {
  const int result =
      PerformRequest(environment.shell, {operation, file, parameters, directory, showCommand});
  if (result == kResultFileNotFound) {
    environment.messages.Show("HTML Help File Not Found \r\n" + file, kProgramTitle);
  }
}

void ShowHelpFile(const std::string& fileName, const HelpEnvironment& environment) {
  try {
    const std::string path = environment.programFolder + kPathSeparator + fileName;
    ExecuteDocument(environment, "Open", path, std::nullopt, std::nullopt, 1);
  } catch (const RunTimeError& error) {
    environment.messages.Show(
        "Error in Invoking Help!\r\nError Code = " + std::to_string(error.Number()), kProgramTitle);
  }
}

}  // namespace tavelin
