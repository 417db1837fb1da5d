// Writes the default interface text file (velkor.ini) to the path given, byte
// for byte as the program writes it when the file is missing.
//   write_text_file OUTPUT
#include <cstdio>
#include <fstream>
#include <vector>

#include "core/text_file_format.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_text_file OUTPUT\n");
    return 2;
  }
  const std::vector<std::uint8_t> bytes = velkor::BuildDefaultTextFile();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "write_text_file: cannot write %s\n", argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
