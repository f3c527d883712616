// The floor of the filter's figure: a program that copies its standard
// input to its standard output, in the way the filter reads and writes.
//   copy_stdin_tool < in > out
#include <errno.h>
#include <unistd.h>

#include <string>

int main() {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 1;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}
