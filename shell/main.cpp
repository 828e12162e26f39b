#include <QApplication>
#include <string>
#include <vector>

#include "shell/quillon_app.h"

int main(int argc, char** argv) {
  quillon::CQuillonApp::ReturnFreedMemory();
  QApplication application(argc, argv);
  // The toolkit has taken its own options out; the rest are file paths,
  // kept as the bytes they arrived as.
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  quillon::CQuillonApp app;
  return app.InitInstance(arguments);
}
