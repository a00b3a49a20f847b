#include "app/heap_win.h"

#include <windows.h>

void UseLowFragmentationHeap() {
  ULONG lowFragmentation = 2;
  HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation, sizeof(lowFragmentation));
}
