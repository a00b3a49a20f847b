// Files the viewer reads, opened with every kind of sharing allowed: a log that another program
// is still writing can be shown (the run-time's _wfopen_s would refuse it).
#pragma once

#include <share.h>
#include <stdio.h>

#include <memory>
#include <string>

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

inline UniqueFile OpenSharedForReading(const std::wstring& path, const wchar_t* mode) {
  if (path.empty()) return nullptr;
  return UniqueFile(_wfsopen(path.c_str(), mode, _SH_DENYNO));
}
