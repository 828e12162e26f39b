#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/posix_arguments.h"
#include "shell/quillon_app.h"

int main(int argc, char** argv) {
  // Answered before the toolkit starts, so that it works without a display.
  if (quillon::AsksForVersion(std::vector<std::string>(argv + 1, argv + argc))) {
    std::fputs(quillon::VersionLine().c_str(), stdout);
    return 0;
  }
  quillon::CQuillonApp::ReturnFreedMemory();
  QApplication application(argc, argv);
  // The toolkit has taken its own options out; the rest are file paths,
  // kept as the bytes they arrived as.
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  quillon::CQuillonApp app;
  return app.InitInstance(arguments);
}
