#include "tools/render/Source.h"

#include <algorithm>

namespace qev::render
{

int FileSource::read(float* left, float* right, int count)
{
    const int channels = reader.channels();
    interleaved.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(channels));
    const int got = static_cast<int>(reader.read(interleaved.data(), count));
    for (int n = 0; n < got; ++n)
    {
        left[n] = interleaved[static_cast<std::size_t>(n * channels)];
        right[n] = interleaved[static_cast<std::size_t>(n * channels + channels - 1)];
    }
    return got;
}

float NoiseSource::next()
{
    // xorshift32: cheap, and the same sequence everywhere.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(static_cast<std::int32_t>(state)) * (0.5f / 2147483648.0f);
}

int NoiseSource::read(float* left, float* right, int count)
{
    const int todo = static_cast<int>(std::min<long long>(count, length - position));
    for (int n = 0; n < todo; ++n)
    {
        left[n] = next();
        right[n] = next();
    }
    position += todo;
    return todo;
}

} // namespace qev::render
