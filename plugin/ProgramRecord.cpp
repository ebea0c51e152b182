#include "plugin/ProgramRecord.h"

#include "engine/FactorySettings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qev
{
namespace
{

// Record offsets 276 and 284 (reserved words 40 and 42) hold integer bit patterns.
constexpr int kReservedNine = (276 - 116) / 4;
constexpr int kReservedOne = (284 - 116) / 4;

void storeInteger(float& word, std::int32_t value)
{
    std::memcpy(&word, &value, sizeof word);
}

void writeFactoryRecord(ProgramRecord& record, const FactorySetting& setting)
{
    std::memset(&record, 0, sizeof record);
    std::strncpy(record.name, setting.name, ProgramRecord::kNameSize - 1);
    std::copy(std::begin(setting.values), std::end(setting.values), record.values + 1);
    storeInteger(record.reserved[kReservedNine], 9);
    storeInteger(record.reserved[kReservedOne], 1);
}

} // namespace

void resetToDefault(ProgramRecord& record)
{
    std::memset(&record, 0, sizeof record);
    std::strcpy(record.name, "default");
}

void writeFactoryBank(ProgramRecord* bank)
{
    for (int i = 0; i < kNumPrograms; ++i)
        writeFactoryRecord(bank[i], kFactorySettings[std::min(i, kNumFactorySettings - 1)]);
    std::memcpy(bank[0].name + 10, "reo", 3);
    bank[6].name[20] = 'k';
}

} // namespace qev
