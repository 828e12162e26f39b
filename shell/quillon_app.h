// The application: the main window from start to close.
#pragma once

#include <string>
#include <vector>

namespace quillon {

class CQuillonApp {
 public:
  // Shows the main window, takes the file paths among `arguments` (the
  // program's arguments as bytes, after the toolkit's own) as one drop once
  // the window is open, and runs until the window is closed. Needs a
  // QApplication. Writes no file of its own: nothing is kept between runs.
  int InitInstance(const std::vector<std::string>& arguments);

  // Makes the allocator hand large blocks back to the system as soon as they
  // are freed. Called once at start, before the window exists.
  static void ReturnFreedMemory();
};

}  // namespace quillon
