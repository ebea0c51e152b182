#pragma once

#include "engine/EngineParams.h"

#include <cstddef>

namespace qev
{

// One program: its name and the values of all parameters. The record is also the unit of the
// state chunk: a preset chunk is one record's memory image, a bank chunk twenty back to back,
// little-endian, with no padding. The reserved area is carried through unchanged.
struct ProgramRecord
{
    static constexpr int kNameSize = 24; // 23 characters and the terminator
    static constexpr int kReservedWords = 255;

    char name[kNameSize];
    float values[kNumParams];
    float reserved[kReservedWords];
};

constexpr int kNumPrograms = 20;
constexpr int kPresetChunkBytes = static_cast<int>(sizeof(ProgramRecord));
constexpr int kBankChunkBytes = kNumPrograms * kPresetChunkBytes;

static_assert(sizeof(ProgramRecord) == 1136, "a program record is 1136 bytes");
static_assert(offsetof(ProgramRecord, values) == 24, "values follow the 24-byte name");
static_assert(offsetof(ProgramRecord, reserved) == 116, "reserved words follow the values");
static_assert(kBankChunkBytes == 22720, "a bank is 20 records");
static_assert(sizeof(float) == 4 && alignof(ProgramRecord) == 4, "records pack without padding");

// Sets a record to the plug-in's own initial program: "default", all values and reserved
// words 0.
void resetToDefault(ProgramRecord& record);

// Writes the factory bank, byte for byte, over twenty records: the twelve factory programs and
// eight "default" programs, with the bytes the factory bank has always carried beyond its
// values (name bytes after the terminator in records 0 and 6, and the integers 9 and 1 in the
// reserved area of every record).
void writeFactoryBank(ProgramRecord* bank);

} // namespace qev
