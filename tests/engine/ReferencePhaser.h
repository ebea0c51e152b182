#pragma once

// A literal, deliberately plain computation of the phaser, written from the algorithm's
// description independently of the engine's classes: flat arrays, std::floor, every formula
// spelled out in the documented order. The engine must match it bit for bit wherever the
// literal algorithm is defined and bounded. It has no guards of any kind.

#include <cmath>

namespace reference
{

inline float correctlyRounded(double value)
{
    return static_cast<float>(value);
}

struct Stage
{
    float x1 = 0, x1p = 0, y1 = 0, y1p = 0, x2 = 0, x2p = 0, y2 = 0, y2p = 0, fb1 = 0, fb2 = 0;
    float cosTable[1025];

    Stage()
    {
        for (int i = 0; i <= 1024; ++i)
        {
            float arg = static_cast<float>(i) * 3.14159274f;
            arg = arg / 1024.0f;
            cosTable[i] = correctlyRounded(std::cos(static_cast<double>(arg)));
        }
    }

    static float sat(float x)
    {
        float a = static_cast<float>(std::fabs(2.0 * static_cast<double>(x)));
        float inner = 3.0f + a;
        inner = a * inner;
        inner = 6.0f + inner;
        inner = a * inner;
        float q = 6.0f + inner;
        float r = (q - 6.0f) / (q + 6.0f);
        if (x < 0.0f)
            r = -r;
        return r;
    }

    float run(float input, float b, float k)
    {
        float in = input + 1e-9f;
        float r = 1.0f - b * 0.5f;
        float p = b * 1024.0f;
        if (p > 1024.0f) // a frequency a rounding error above 1.0 reads the last entry
            p = 1024.0f;
        float phi = p - std::floor(p);
        int n = static_cast<int>(p);
        float second = phi == 0.0f ? 0.0f : cosTable[n + 1] * phi; // weight 0 past the end
        float c = cosTable[n] * (1.0f - phi) + second;
        float a1 = (-2.0f * r) * c;
        float a2 = r * r;
        float u = in + (fb1 * k) * 0.999f;
        float o1 = a2 * u;
        o1 = o1 + a1 * x1;
        o1 = o1 + x1p;
        o1 = o1 - a1 * y1;
        o1 = o1 - a2 * y1p;
        y1p = y1;
        y1 = o1;
        x1p = x1;
        x1 = u;
        float w = in + (fb2 * k) * 0.999f;
        float o2 = a2 * w;
        o2 = o2 + a1 * x2;
        o2 = o2 + x2p;
        o2 = o2 - a1 * y2;
        o2 = o2 - a2 * y2p;
        y2p = y2;
        y2 = o2;
        x2p = x2;
        x2 = w;
        fb2 = o1 + 1e-9f;
        float s = o2 * 0.25f;
        if (s > 0.0f)
            s = s - 2.11e-7f;
        fb1 = 4.0f * sat(s);
        return fb1 + fb2;
    }
};

struct Channel
{
    float fs;
    float freqTable[2048], spread2[2048], spread3[2048];
    float sine[257];
    float phase = 0, increment;
    Stage stages[3];

    explicit Channel(float sampleRate) : fs(sampleRate)
    {
        float a = fs / 44100.0f;
        a = a * (fs / 44100.0f);
        a = a * fs;
        float c = correctlyRounded(std::log(static_cast<double>(a)));
        float lnFs = correctlyRounded(std::log(static_cast<double>(fs)));
        for (int i = 0; i < 2048; ++i)
        {
            float pos = static_cast<float>(i) / 1024.0f;
            freqTable[i] = (1.0f / a) * correctlyRounded(std::exp(static_cast<double>(pos * c)));
            float t = correctlyRounded(std::log(static_cast<double>(pos * fs + 1e-8f))) / lnFs;
            spread2[i] =
                (1.0f / a) * correctlyRounded(std::exp(static_cast<double>((t + 0.2f) * c)));
            spread3[i] =
                (1.0f / a) * correctlyRounded(std::exp(static_cast<double>((t + 0.4f) * c)));
        }
        float pi = 4.0f * correctlyRounded(std::atan(1.0));
        for (int i = 0; i <= 256; ++i)
        {
            float arg = 2.0f * pi;
            arg = arg * static_cast<float>(i);
            arg = arg / 256.0f;
            sine[i] = correctlyRounded(std::sin(static_cast<double>(arg)));
        }
        increment = 256.0f * 1.0f / fs;
    }

    static float lookup(const float* table, float p)
    {
        float phi = p - std::floor(p);
        int n = static_cast<int>(p);
        return table[n] * (1.0f - phi) + table[n + 1] * phi;
    }

    float lfo()
    {
        if (phase > 255.0f)
            phase = phase - 255.0f;
        int index = static_cast<int>(std::floor(phase));
        float fraction = phase - static_cast<float>(index);
        phase = phase + increment;
        return sine[index] * (1.0f - fraction) + sine[index + 1] * fraction;
    }

    float run(float input, float rate, float lo, float hi, float k, float type)
    {
        increment = (256.0f * rate) / fs;
        float sweep = (lfo() + 1.0f) * 0.5f;
        if (sweep > 1.0f)
            sweep = 1.0f;
        float low = lookup(freqTable, lo * 1024.0f);
        float high = lookup(freqTable, hi * 1024.0f);
        float f = low + (high - low) * sweep;
        float f2 = lookup(spread2, f * 1024.0f);
        if (f2 > 1.0f)
            f2 = 1.0f;
        float f3 = lookup(spread3, f * 1024.0f);
        if (f3 > 1.0f)
            f3 = 1.0f;
        float x = input * 0.5f;
        float out = stages[0].run(x, f, k);
        if (type > 0.0f)
        {
            x = x * 0.5f;
            out = out + stages[1].run(x, f2, k);
        }
        if (std::trunc(type) > 1.0f)
        {
            x = x * 0.5f;
            out = out + stages[2].run(x, f3, k);
        }
        return out;
    }
};

struct Dc
{
    float lastIn = 0, lastOut = 0;
    void run(float& x)
    {
        float coefficient = 0.999f - 0.04f * 0.4f;
        float y = (x - lastIn) + coefficient * lastOut;
        lastOut = y;
        lastIn = x + 2.3283064e-10f;
        x = y;
    }
};

// P holds parameters 0..22; tempo in BPM.
struct Phaser
{
    Channel left, right;
    Dc leftDc, rightDc;
    const float divisors[12] = {960, 480, 240, 120, 60, 30, 1440, 720, 360, 180, 90, 45};

    explicit Phaser(float fs) : left(fs), right(fs) {}

    void run(const float* P, float& l, float& r, float tempo)
    {
        left.phase = right.phase + 127.0f * P[5];
        float s = P[1];
        float rate = ((s * s) * s) * 6.0f;
        if (P[2] > 0.0f)
            rate = divisors[static_cast<int>(P[2]) - 1] / tempo;
        float u = 1.0f - P[7];
        float k = 1.0f - ((u * u) * u) * u;
        float rw = right.run(r, rate, P[3], P[4], k, P[6]);
        float lw = left.run(l, rate, P[3], P[4], k, P[6]);
        rightDc.run(rw);
        leftDc.run(lw);
        float g = 1.0f - k * 0.8333333f;
        rw = rw * g;
        lw = lw * g;
        r = (((rw * P[8] + r * (1.0f - P[8])) * P[9]) * P[9]) * 2.0f;
        l = (((lw * P[8] + l * (1.0f - P[8])) * P[9]) * P[9]) * 2.0f;
    }
};

} // namespace reference
