// Measures the engine's output level over the whole range of settings, before and after the
// LFO rate limit and the stage frequency floor: the factory programs and the initial program,
// a grid of sweep ends with no and full feedback, and random settings; free-running at SPEED 0
// to 1 and synced at every SYNC_SPEED value at 20 to 1000 BPM; at 22.05 to 192 kHz; white noise
// and a 110 Hz sine, both at 0.9.
//
// A run's figure is its peak ratio: the output's peak over 0.9 x 2 VOLUME^2, the level of the
// dry signal. The engine must keep it at 8 or below, without restarting a stage. "before" runs
// the literal algorithm with the runaway guard the engine had (a stage restarted from rest past
// |out1| + |out2| = 10000) at the synced rate as asked; "after" runs the engine. Settings whose
// synced rates give the same LFO rate run once.
//
// Prints, per sample rate and region, the worst ratio before and after with its setting, and at
// the end the worst case over everything, the runs the limit changed although the literal
// algorithm stayed normal, and the runs where the literal algorithm stays bounded (no restart)
// yet exceeds the bound.
//
// Usage: engine_survey [seconds per run, default 2] [random settings, default 20]
//                      [sample rates, default all] [seconds per run before, default as after]
#include "engine/FactorySettings.h"
#include "engine/StereoPhaser.h"
#include "tests/engine/ReferencePhaser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr float kInputPeak = 0.9f;
constexpr float kBound = 8.0f;
constexpr float kBeforeGuard = 10000.0f;
const float kTempos[] = {20, 30, 45, 60, 90, 120, 150, 180, 240, 300, 400, 500, 600, 750, 1000};
const float kSpeeds[] = {0.0f, 0.3f, 0.55f, 0.75f, 0.9f, 1.0f};

struct Setting
{
    std::string name;
    std::string region;
    float values[10]; // parameters 0..9; 0 is unused
};

struct Figure
{
    float ratio = 0.0f;
    bool restarted = false;
};

// One input signal, the same for both channels' generators on every run.
class Input
{
public:
    Input(bool sine, float sampleRate) : sine(sine), step(2.0 * M_PI * 110.0 / sampleRate) {}
    void next(float& left, float& right)
    {
        if (sine)
        {
            phase += step;
            left = right = static_cast<float>(kInputPeak * std::sin(phase));
        }
        else
        {
            left = noise(rng);
            right = noise(rng);
        }
    }

private:
    bool sine;
    double step, phase = 0.0;
    std::mt19937 rng{1234};
    std::uniform_real_distribution<float> noise{-kInputPeak, kInputPeak};
};

float dryLevel(const Setting& s)
{
    return kInputPeak * 2.0f * s.values[9] * s.values[9];
}

// Runs `step` (which processes one frame in place and answers whether a stage restarted) on
// the input for `seconds`.
template <class Step>
Figure measure(const Setting& s, float sampleRate, bool sine, float seconds, Step step)
{
    Input input(sine, sampleRate);
    Figure f;
    float peak = 0.0f;
    const long frames = static_cast<long>(sampleRate * seconds);
    for (long n = 0; n < frames; ++n)
    {
        float l, r;
        input.next(l, r);
        f.restarted = step(l, r) || f.restarted;
        peak = std::max({peak, std::abs(l), std::abs(r)});
    }
    f.ratio = std::isfinite(peak) ? peak / dryLevel(s) : INFINITY;
    return f;
}

Figure runEngine(const Setting& s, float sampleRate, float sync, float tempo, bool sine,
                 float seconds)
{
    qev::EngineParams params;
    for (int i = 1; i <= 9; ++i)
        params.set(i, s.values[i]);
    params.set(qev::kParamSyncSpeed, sync);
    qev::StereoPhaser engine(sampleRate, params);
    return measure(s, sampleRate, sine, seconds,
                   [&](float& l, float& r)
                   {
                       engine.step(l, r, tempo);
                       return engine.stages->restarted[0] || engine.stages->restarted[1];
                   });
}

Figure runBefore(const Setting& s, float sampleRate, float sync, float tempo, bool sine,
                 float seconds)
{
    float p[qev::kNumParams] = {};
    for (int i = 1; i <= 9; ++i)
        p[i] = s.values[i];
    p[qev::kParamSyncSpeed] = sync;
    reference::Phaser literal(sampleRate, reference::Mode::Literal);
    literal.setGuardLimit(kBeforeGuard);
    long restarts = 0;
    return measure(s, sampleRate, sine, seconds,
                   [&](float& l, float& r)
                   {
                       literal.run(p, l, r, tempo);
                       const long now = literal.restarts();
                       const bool restarted = now != restarts;
                       restarts = now;
                       return restarted;
                   });
}

// The LFO rate a setting asks for, and the rate the engine runs it at.
struct Rates
{
    float asked, run;
};

Rates lfoRates(const Setting& s, float sampleRate, float sync, float tempo)
{
    qev::EngineParams params;
    for (int i = 1; i <= 9; ++i)
        params.set(i, s.values[i]);
    params.set(qev::kParamSyncSpeed, sync);
    qev::StereoPhaser engine(sampleRate, params);
    float l = 0.0f, r = 0.0f;
    engine.step(l, r, tempo);
    const float speed = s.values[qev::kParamSpeed];
    const float asked = sync > 0.0f ? (engine.syncDivisors[static_cast<int>(sync) - 1] * tempo) /
                                          qev::StereoPhaser::kSyncScale
                                    : speed * speed * speed * 6.0f;
    return {asked, engine.lfoRate};
}

struct Worst
{
    float before = 0.0f, after = 0.0f;
    std::string beforeCase, afterCase;
    int runs = 0, beforeRestarts = 0, afterRestarts = 0;
};

struct Totals
{
    Worst all;
    long changedNormal = 0, normal = 0;
    std::vector<std::string> resonant; // literal bounded, yet above the bound
};

std::vector<Setting> settings(int randomCount)
{
    std::vector<Setting> list;
    for (const qev::FactorySetting& f : qev::kFactorySettings)
    {
        Setting s{f.name, "programs", {}};
        for (int i = 0; i < 9; ++i)
            s.values[i + 1] = f.values[i];
        list.push_back(s);
    }
    const float ends[] = {0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f};
    for (float fb : {0.0f, 1.0f})
        for (float lo : ends)
            for (float hi : ends)
                if (hi >= lo)
                {
                    char name[64];
                    std::snprintf(name, sizeof name, "lo %.1f hi %.1f fb %.0f", lo, hi, fb);
                    list.push_back({name, "sweep grid", {0, 0, 0, lo, hi, 1, 2, fb, 1, 0.5f}});
                }
    std::mt19937 rng(20240515);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < randomCount; ++i)
    {
        Setting s{"random " + std::to_string(i), "random", {}};
        for (int p = 1; p <= 9; ++p)
            s.values[p] = unit(rng);
        s.values[qev::kParamType] = static_cast<float>(static_cast<int>(unit(rng) * 3.0f));
        s.values[qev::kParamVolume] = 0.25f + 0.75f * s.values[qev::kParamVolume];
        list.push_back(s);
    }
    for (Setting& s : list)
        s.values[qev::kParamSyncSpeed] = 0.0f;
    return list;
}

std::string describe(const Setting& s, float sync, float tempo, float speed, bool sine)
{
    char text[160];
    if (sync > 0.0f)
        std::snprintf(text, sizeof text, "%s, sync %d at %g BPM, %s", s.name.c_str(),
                      static_cast<int>(sync), tempo, sine ? "sine" : "noise");
    else
        std::snprintf(text, sizeof text, "%s, free at SPEED %g, %s", s.name.c_str(), speed,
                      sine ? "sine" : "noise");
    return text;
}

void note(Worst& w, const Figure& before, const Figure& after, const std::string& what)
{
    ++w.runs;
    w.beforeRestarts += before.restarted;
    w.afterRestarts += after.restarted;
    if (!(before.ratio <= w.before))
    {
        w.before = before.ratio;
        w.beforeCase = what;
    }
    if (!(after.ratio <= w.after))
    {
        w.after = after.ratio;
        w.afterCase = what;
    }
}

void surveyRate(float fs, const std::vector<Setting>& list, float seconds, float secondsBefore,
                Totals& totals)
{
    std::map<std::string, Worst> regions;
    for (const Setting& s : list)
    {
        // Requested rates (sync, tempo, speed), each run before; the engine's rates run once.
        struct Request
        {
            float sync, tempo, speed;
        };
        std::vector<Request> requests;
        for (float speed : kSpeeds)
            requests.push_back({0.0f, 120.0f, speed});
        for (int sync = 1; sync <= qev::StereoPhaser::kSyncEntries; ++sync)
            for (float tempo : kTempos)
                requests.push_back({static_cast<float>(sync), tempo, 0.0f});
        std::map<float, Figure> afterByRate[2];
        std::map<float, Figure> beforeByRate[2];
        for (const Request& q : requests)
        {
            Setting run = s;
            if (q.sync == 0.0f)
                run.values[qev::kParamSpeed] = q.speed;
            const auto [asked, rate] = lfoRates(run, fs, q.sync, q.tempo);
            std::string region = s.region;
            if (s.region == "programs")
                region += q.sync == 0.0f      ? " free"
                          : q.tempo <= 180.0f ? " synced to 180 BPM"
                                              : " synced above 180 BPM";
            for (int sine = 0; sine < 2; ++sine)
            {
                if (sine && s.region != "programs")
                    continue; // the sine runs on the programs only
                auto b = beforeByRate[sine].find(asked);
                if (b == beforeByRate[sine].end())
                    b = beforeByRate[sine]
                            .emplace(asked,
                                     runBefore(run, fs, q.sync, q.tempo, sine, secondsBefore))
                            .first;
                auto a = afterByRate[sine].find(rate);
                if (a == afterByRate[sine].end())
                    a = afterByRate[sine]
                            .emplace(rate, runEngine(run, fs, q.sync, q.tempo, sine, seconds))
                            .first;
                const std::string what = describe(run, q.sync, q.tempo, q.speed, sine);
                note(regions[region], b->second, a->second, what);
                note(totals.all, b->second, a->second,
                     std::to_string(static_cast<int>(fs)) + " Hz, " + what);
                const bool normal = !b->second.restarted && b->second.ratio <= kBound;
                totals.normal += normal;
                totals.changedNormal += normal && rate != asked;
                if (!b->second.restarted && b->second.ratio > kBound && rate == asked)
                    totals.resonant.push_back(std::to_string(static_cast<int>(fs)) + " Hz, " +
                                              what + ": " + std::to_string(b->second.ratio));
            }
        }
    }
    for (const auto& [name, w] : regions)
        std::printf("%6.0f Hz  %-30s %5d runs  before %9.3g (%d restarted)  after %7.3f (%d "
                    "restarted)\n          worst before: %s\n          worst after:  %s\n",
                    fs, name.c_str(), w.runs, w.before, w.beforeRestarts, w.after, w.afterRestarts,
                    w.beforeCase.c_str(), w.afterCase.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const float seconds = argc > 1 ? std::strtof(argv[1], nullptr) : 2.0f;
    const int randomCount = argc > 2 ? std::atoi(argv[2]) : 20;
    std::vector<float> rates = {22050, 44100, 48000, 88200, 96000, 176400, 192000};
    if (argc > 3)
    {
        rates.clear();
        for (char* next = argv[3]; *next;) // a comma-separated list
        {
            char* end = nullptr;
            rates.push_back(std::strtof(next, &end));
            if (end == next)
                return std::fprintf(stderr, "engine_survey: not a sample rate: %s\n", next), 2;
            next = end + (*end == ',');
        }
    }
    const float secondsBefore = argc > 4 ? std::strtof(argv[4], nullptr) : seconds;
    const std::vector<Setting> list = settings(randomCount);
    Totals totals;
    for (float fs : rates)
        surveyRate(fs, list, seconds, secondsBefore, totals);
    std::printf("\nworst before: %.3g at %s\nworst after:  %.3f at %s\n", totals.all.before,
                totals.all.beforeCase.c_str(), totals.all.after, totals.all.afterCase.c_str());
    std::printf("restarts: before %d, after %d of %d runs\n", totals.all.beforeRestarts,
                totals.all.afterRestarts, totals.all.runs);
    std::printf("runs whose rate the limit lowered although the literal algorithm stayed normal: "
                "%ld of %ld normal runs\n",
                totals.changedNormal, totals.normal);
    std::printf("literal algorithm bounded yet above %g, rate unchanged: %zu\n", kBound,
                totals.resonant.size());
    for (const std::string& r : totals.resonant)
        std::printf("  %s\n", r.c_str());
    return totals.all.after <= kBound && totals.all.afterRestarts == 0 ? 0 : 1;
}
