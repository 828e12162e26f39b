#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/posix_arguments.h"
#include "shell/quillon_app.h"

namespace {

// While the toolkit starts, its messages are held back: when no display can
// be opened it reports in several lines of its own and then aborts, leaving a
// core dump. In their place the user gets one line and exit status 1. Once the
// toolkit runs, the held messages go out as they would have.
std::vector<std::pair<QtMsgType, QString>>* g_heldMessages = nullptr;

void HoldStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(quillon::NoDisplayLine().c_str(), stderr);
    std::_Exit(1);
  }
  g_heldMessages->emplace_back(type, message);
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so that they work without a display.
  const quillon::CommandLine command =
      quillon::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (command.action) {
    case quillon::CommandLine::Action::kVersion:
      std::fputs(quillon::VersionLine().c_str(), stdout);
      return 0;
    case quillon::CommandLine::Action::kHelp:
      std::fputs(quillon::UsageText().c_str(), stdout);
      return 0;
    case quillon::CommandLine::Action::kRefuse:
      std::fputs(command.refusal.c_str(), stderr);
      return 2;
    case quillon::CommandLine::Action::kWindow:
      break;
  }
  // A typing error in a path would otherwise reach the drop, which can only
  // say that the path is no file it can rename.
  if (const std::string missing = quillon::MissingFilesLine(command.files); !missing.empty()) {
    std::fputs(missing.c_str(), stderr);
    return 2;
  }
  quillon::CQuillonApp::ReturnFreedMemory();
  // The toolkit sees the program's name only: every other argument is a file
  // path, even one that looks like one of its own options after "--".
  int toolkitArgc = 1;
  std::vector<std::pair<QtMsgType, QString>> held;
  g_heldMessages = &held;
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
  QApplication application(toolkitArgc, argv);
  qInstallMessageHandler(previous);
  g_heldMessages = nullptr;
  for (const auto& [type, message] : held) {
    qt_message_output(type, QMessageLogContext(), message);
  }
  quillon::CQuillonApp app;
  return app.InitInstance(command.files);
}
