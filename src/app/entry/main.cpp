// The quillora program.
#include "app/startup/Main.h"

int main(int argc, char** argv) {
  return quillora::Main(argc, argv);
}
