// The sorted plain files of the current folder, and stepping through them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FolderFileList {
  std::vector<std::wstring> entries;
  int currentIndex = 0;
  int lastIndex = -1;
};

extern FolderFileList g_folderFileList;

// The absolute long form of path, or empty when it cannot be made or does not fit MAX_PATH.
std::wstring NormalizeDocumentPath(const std::wstring& path);
// Rebuild for the folder of path (absolute), sort, find its index (inserting it when the listing
// left it out), set lastIndex.
void RebuildFolderFileList(const std::wstring& path);
// The entry at currentIndex, or empty when the list is empty.
std::wstring CurrentPath();
// "(%d/%d)%s" for the current entry.
std::wstring FolderTitle();
// IDM_PREV_FILE or IDM_NEXT_FILE, on g_mainWindow and the views.
void StepFolderFile(int command);
