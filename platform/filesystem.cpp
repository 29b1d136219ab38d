#include "platform/filesystem.h"

namespace minatori {

namespace {
FileSystem *installed = nullptr;
}  // namespace

FileSystem &fileSystem() { return installed ? *installed : systemFileSystem(); }

void setFileSystem(FileSystem *files) { installed = files; }

}  // namespace minatori
