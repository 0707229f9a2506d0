#pragma once

#include <QString>

// Makes one step of writing one file fail, as a failing or full disk would.
// The test executable that links FailingDisk.cpp
// defines the C library's open64, write, fdatasync, rename and close itself,
// so every writer (Qt's and our own) goes through them unchanged.
namespace FailingDisk {

enum class Step {
    Open,       // creating or opening the file for writing: EACCES
    ShortWrite, // the first write stores half its bytes, the next ones ENOSPC
    Sync,       // the final flush to the disk: EIO
    Rename,     // putting the written file in the old one's place: EIO
};

const char* Name(Step step);

// Fails `step` for the file at path until Disarm: the file itself, the
// temporary files made beside it under its name, and unnamed temporary files
// made in its folder.
void Arm(Step step, const QString& path);
void Disarm();

// How many calls were made to fail since Arm.
int Failures();

} // namespace FailingDisk
