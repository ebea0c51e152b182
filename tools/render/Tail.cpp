#include "tools/render/Tail.h"

#include <algorithm>
#include <cmath>

namespace qev::render
{

TailEnd::TailEnd(const TailSetting& setting, int sampleRate)
    : mode(setting.mode),
      limit(mode == TailSetting::Mode::None    ? 0
            : mode == TailSetting::Mode::Fixed ? std::llround(setting.seconds * sampleRate)
                                               : std::llround(kMaxAutoSeconds * sampleRate)),
      quietNeeded(std::llround(kQuietSeconds * sampleRate)),
      quietLevel(static_cast<float>(std::pow(10.0, kQuietDbfs / 20.0)))
{
}

int TailEnd::keep(const float* left, const float* right, int frames, bool pastInput)
{
    if (mode == TailSetting::Mode::Auto)
    {
        for (int n = 0; n < frames; ++n)
        {
            const bool quiet = std::fabs(left[n]) < quietLevel && std::fabs(right[n]) < quietLevel;
            quietRun = quiet ? quietRun + 1 : 0;
            if (pastInput && quietRun >= quietNeeded)
            {
                ended = true;
                kept += n + 1;
                return n + 1;
            }
        }
    }
    if (pastInput)
        kept += frames;
    return frames;
}

int TailEnd::nextBlock(int blockSize) const
{
    if (ended || (mode == TailSetting::Mode::Auto && quietRun >= quietNeeded))
        return 0;
    return static_cast<int>(std::min<long long>(blockSize, limit - kept));
}

} // namespace qev::render
