#pragma once

// A literal, deliberately plain computation of the phaser, written from the algorithm's
// description independently of the engine's classes: flat arrays, std::floor, every formula
// spelled out in the documented order. The engine must match it bit for bit wherever the
// algorithm is defined and bounded.
//
// Two modes. Literal is the plain algorithm: the tempo-synced rate is entry * tempo / 14400,
// and nothing else is added. Product is the algorithm as the engine runs it: the literal one
// plus the LFO rate limit (free rates held to it, synced rates halved by octaves), the stage
// frequency floor after a one-second hold, and stages that start running again starting from
// rest. Comparing the engine with Literal shows where the additions change nothing.
//
// Neither mode has a runaway guard. tools/engine_survey sets guardLimit to measure the
// engine as it was before the additions (Literal, restarting a stage past 10000).

#include <cmath>
#include <initializer_list>

namespace reference
{

enum class Mode
{
    Literal,
    Product
};

inline float correctlyRounded(double value)
{
    return static_cast<float>(value);
}

struct Stage
{
    float x1 = 0, x1p = 0, y1 = 0, y1p = 0, x2 = 0, x2p = 0, y2 = 0, y2p = 0, fb1 = 0, fb2 = 0;
    float cosTable[1025];
    bool product;
    float holdFrames;      // one second of frames, at most 2^23
    float framesBelow = 0; // consecutive frames below the floor
    float guardLimit = INFINITY;
    long restarts = 0; // how often the guard restarted the stage

    Stage(float fs, Mode mode) : product(mode == Mode::Product)
    {
        for (int i = 0; i <= 1024; ++i)
        {
            float arg = static_cast<float>(i) * 3.14159274f;
            arg = arg / 1024.0f;
            cosTable[i] = correctlyRounded(std::cos(static_cast<double>(arg)));
        }
        holdFrames = fs * 1.0f;
        if (holdFrames > 8388608.0f)
            holdFrames = 8388608.0f;
    }

    void rest()
    {
        x1 = x1p = y1 = y1p = x2 = x2p = y2 = y2p = fb1 = fb2 = 0;
        framesBelow = 0;
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
        if (product)
        {
            if (b < 1.5e-5f)
                framesBelow = framesBelow + 1.0f;
            else
                framesBelow = 0.0f;
            if (framesBelow >= holdFrames)
                b = 1.5e-5f;
        }
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
        float w = in + (fb2 * k) * 0.999f;
        float o2 = a2 * w;
        o2 = o2 + a1 * x2;
        o2 = o2 + x2p;
        o2 = o2 - a1 * y2;
        o2 = o2 - a2 * y2p;
        if (!(std::fabs(o1) + std::fabs(o2) <= guardLimit))
        {
            rest();
            ++restarts;
            return 0.0f;
        }
        y1p = y1;
        y1 = o1;
        x1p = x1;
        x1 = u;
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
    bool product;
    float freqTable[2048], spread2[2048], spread3[2048], followRate[2048];
    float sine[257];
    float phase = 0, increment;
    Stage stages[3];
    bool ran2 = false, ran3 = false;

    Channel(float sampleRate, Mode mode)
        : fs(sampleRate),
          product(mode == Mode::Product), stages{Stage(sampleRate, mode), Stage(sampleRate, mode),
                                                 Stage(sampleRate, mode)}
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
            float exponent = 0.8f * (pos - 1.0f);
            exponent = exponent * c;
            followRate[i] = fs * correctlyRounded(std::exp(static_cast<double>(exponent)));
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

    // The fastest LFO rate the sweep between the positions follows, in hertz.
    float rateLimit(float lo, float hi) const
    {
        float low = lookup(freqTable, lo * 1024.0f);
        float high = lookup(freqTable, hi * 1024.0f);
        float bottom = low < high ? low : high;
        float top = low < high ? high : low;
        float cycles = 0.03f + 0.6f * (bottom / top);
        if (cycles > 0.065f)
            cycles = 0.065f;
        float topPosition = low < high ? hi : lo;
        return cycles * lookup(followRate, topPosition * 1024.0f);
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
        return runStages(input, f, f2, f3, k, type);
    }

    // Steps 7 to 10 of the channel: the stages at the frequencies f, f2, f3.
    float runStages(float input, float f, float f2, float f3, float k, float type)
    {
        bool run2 = type > 0.0f;
        bool run3 = std::trunc(type) > 1.0f;
        if (product && run2 && !ran2)
            stages[1].rest();
        if (product && run3 && !ran3)
            stages[2].rest();
        ran2 = run2;
        ran3 = run3;
        float x = input * 0.5f;
        float out = stages[0].run(x, f, k);
        if (run2)
        {
            x = x * 0.5f;
            out = out + stages[1].run(x, f2, k);
        }
        if (run3)
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

// P holds parameters 0..22, each within its domain; tempo in BPM, 1..1000.
struct Phaser
{
    bool product;
    Channel left, right;
    Dc leftDc, rightDc;
    const float entries[12] = {960, 480, 240, 120, 60, 30, 1440, 720, 360, 180, 90, 45};
    float rate = 0; // LFO rate of the last frame, hertz

    explicit Phaser(float fs, Mode mode = Mode::Product)
        : product(mode == Mode::Product), left(fs, mode), right(fs, mode)
    {
    }

    void setGuardLimit(float limit)
    {
        for (Channel* c : {&left, &right})
            for (Stage& s : c->stages)
                s.guardLimit = limit;
    }

    long restarts() const
    {
        long n = 0;
        for (const Channel* c : {&left, &right})
            for (const Stage& s : c->stages)
                n += s.restarts;
        return n;
    }

    void run(const float* P, float& l, float& r, float tempo)
    {
        left.phase = right.phase + 127.0f * P[5];
        float s = P[1];
        rate = ((s * s) * s) * 6.0f;
        bool synced = P[2] > 0.0f;
        if (synced)
            rate = (entries[static_cast<int>(P[2]) - 1] * tempo) / 14400.0f;
        if (product)
        {
            float limit = right.rateLimit(P[3], P[4]);
            if (synced)
                while (rate > limit)
                    rate = rate * 0.5f;
            else if (rate > limit)
                rate = limit;
        }
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
