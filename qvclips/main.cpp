// qvclips: the clip history of Quorvel Vavad from the command line.

#include <iostream>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "qvclips/Host.h"

int main(int argc, char** argv) {
#if defined(_WIN32)
  // Clip texts go out byte for byte: no CR added before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return qv::RunClipsTool(argc, argv, std::cout, std::cerr, qv::SystemHost());
}
