// Placeholder until this module is written.
#include "document/folder_list_win.h"
FolderFileList g_folderFileList;
std::wstring NormalizeDocumentPath(const std::wstring& path) { return path; }
void RebuildFolderFileList(const std::wstring&) {}
std::wstring CurrentPath() { return {}; }
std::wstring FolderTitle() { return L"Vam"; }
void StepFolderFile(int) {}
