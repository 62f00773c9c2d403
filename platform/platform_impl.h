// What each operating system's side provides to the shared part of the platform layer.
#pragma once

#include "platform/platform.h"

// May throw std::bad_alloc; the shared part turns that into a failure.
bool PlatformCreateOutputFile(const std::u16string& targetPath, OutputFile& file);
bool PlatformCommitOutputFile(OutputFile& file);
// Makes LastSystemErrorText tell that memory ran out.
void NoteOutOfMemory();
