#include "shell/posix_opener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <optional>
#include <string>

#include "core/name_codec.h"

extern char** environ;

namespace quillon {

void XdgOpener::Open(std::u16string_view pathOrAddress) {
  // The path's own bytes: a name that is not valid UTF-8 must reach the
  // opener as it is on disk, which no re-encoding through a toolkit string
  // would guarantee.
  std::optional<std::string> bytes = EncodePath(pathOrAddress);
  if (!bytes) return;
  // A short-lived shell starts xdg-open in the background and exits at once;
  // waiting for that shell leaves no zombie behind, and the opener itself
  // is adopted by init, so the browser never holds this process up.
  char shell[] = "/bin/sh";
  char dashC[] = "-c";
  char script[] = "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
  char name[] = "quillon-open";
  char* argv[] = {shell, dashC, script, name, bytes->data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, shell, nullptr, nullptr, argv, environ) != 0) return;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace quillon
