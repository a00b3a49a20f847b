// The process heap's policy.
#pragma once

// The rich-edit control keeps a large text in many small blocks of the process heap. Wine's default
// heap grows slower and slower as views are filled, emptied and filled again (a step that takes
// seconds took minutes on the third step onto the same 1 MiB file); the low-fragmentation heap,
// which Windows uses anyway, does not. Called first thing by every program that fills views.
void UseLowFragmentationHeap();
