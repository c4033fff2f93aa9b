// CreateNewFile: a file of a fresh name, made with the permissions the umask allows.
#pragma once

#include <string>

// Replaces the trailing "XXXXXX" of Path with random letters and creates that file with
// O_CREAT | O_EXCL and mode 0666 (or Mode), which the kernel narrows by the process's umask; tries
// another name while one exists. Returns the open descriptor (write-only, close-on-exec), or -1
// with errno set.
int CreateNewFile(std::string& Path, unsigned Mode = 0666);
