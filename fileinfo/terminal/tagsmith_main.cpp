#include "fileinfo/terminal/tagsmith_cli.h"

int main(int argc, char** argv) {
  return fileinfo::runTagsmith(argc, argv, fileinfo::platformVersionService(), stdout, stderr);
}
