// The quillora program.
#include "ui/startup/Main.h"

int main(int argc, char** argv) {
  return quillora::Main(argc, argv);
}
