#pragma once

// Runs the built qev-render in a scratch folder and collects what it did: exit code, stdout,
// stderr. Also small helpers for the audio and preset files the tests make and inspect.

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef QEV_RENDER_PATH
#error "QEV_RENDER_PATH names the tool under test"
#endif

extern char** environ;

namespace tooltest
{

namespace fs = std::filesystem;

struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string readText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

inline std::vector<std::uint8_t> readBytes(const fs::path& path)
{
    const std::string text = readText(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

inline void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder per test, removed afterwards; the tool runs inside it.
class Scratch
{
public:
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "qev-render-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "cannot create a scratch folder";
        dir = pattern;
    }
    ~Scratch() { fs::remove_all(dir); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    fs::path operator/(const std::string& name) const { return dir / name; }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }

    // Starts the tool with `args` in this folder; finish() waits for it. Its standard error goes
    // to `errorsTo` when given.
    pid_t start(const std::vector<std::string>& args, const std::string& errorsTo = "") const
    {
        std::vector<std::string> all{QEV_RENDER_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2,
                                         errorsTo.empty() ? errPath().c_str() : errorsTo.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    RunResult finish(pid_t pid) const
    {
        RunResult result;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid)
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = readText(outPath());
        result.err = readText(errPath());
        fs::remove(outPath());
        fs::remove(errPath());
        return result;
    }

    RunResult run(const std::vector<std::string>& args) const { return finish(start(args)); }

    // Runs the tool with its standard error on a terminal; answers what it wrote there.
    std::string runOnATerminal(const std::vector<std::string>& args) const
    {
        const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
        if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0)
        {
            ADD_FAILURE() << "no pseudo-terminal";
            return "";
        }
        fcntl(terminal, F_SETFL, O_NONBLOCK);
        const pid_t pid = start(args, ptsname(terminal));
        std::string text;
        for (bool exited = pid <= 0; !exited;)
        {
            exited = waitpid(pid, nullptr, WNOHANG) == pid;
            pollfd ready = {terminal, POLLIN, 0};
            poll(&ready, 1, exited ? 0 : 20);
            char buffer[4096];
            for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;)
                text.append(buffer, static_cast<std::size_t>(got));
        }
        close(terminal);
        fs::remove(outPath());
        return text;
    }

    fs::path dir;

private:
    // Beside the folder, not in it, so that the folder holds only what the tool made.
    fs::path outPath() const { return dir.string() + ".stdout"; }
    fs::path errPath() const { return dir.string() + ".stderr"; }
};

// Planar audio as the tests handle it.
struct Audio
{
    int rate = 44100;
    int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    std::vector<std::vector<float>> channels;
    long long frames() const { return channels.empty() ? 0 : (long long)channels[0].size(); }
};

// A deterministic test signal: a rising sine sweep plus a little noise, different per channel.
inline Audio makeSignal(int channels, int rate, int frames)
{
    Audio audio;
    audio.rate = rate;
    audio.channels.assign(static_cast<std::size_t>(channels),
                          std::vector<float>(static_cast<std::size_t>(frames)));
    std::uint32_t state = 12345u;
    double phase = 0.0;
    for (int n = 0; n < frames; ++n)
    {
        phase += (100.0 + 8000.0 * n / frames) / rate;
        for (int c = 0; c < channels; ++c)
        {
            state = state * 1664525u + 1013904223u;
            const double noise = (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * 0.1;
            audio.channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(n)] =
                static_cast<float>(0.5 * std::sin(6.283185307179586 * phase * (1 + c)) + noise);
        }
    }
    return audio;
}

inline void writeAudio(const fs::path& path, const Audio& audio)
{
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = static_cast<int>(audio.channels.size());
    info.format = audio.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> interleaved;
    for (long long n = 0; n < audio.frames(); ++n)
        for (const auto& channel : audio.channels)
            interleaved.push_back(channel[static_cast<std::size_t>(n)]);
    sf_writef_float(file, interleaved.data(), audio.frames());
    sf_close(file);
}

inline Audio readAudio(const fs::path& path)
{
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
    {
        ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
        return audio;
    }
    audio.rate = info.samplerate;
    audio.format = info.format;
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    audio.channels.assign(static_cast<std::size_t>(info.channels),
                          std::vector<float>(static_cast<std::size_t>(info.frames)));
    for (long long n = 0; n < info.frames; ++n)
        for (int c = 0; c < info.channels; ++c)
            audio.channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(n)] =
                interleaved[static_cast<std::size_t>(n * info.channels + c)];
    return audio;
}

// Bit-exact comparison of two stereo signals, reporting the first difference only.
inline ::testing::AssertionResult sameSamples(const Audio& a, const Audio& b)
{
    if (a.channels.size() != b.channels.size() || a.frames() != b.frames())
        return ::testing::AssertionFailure()
               << "shapes differ: " << a.channels.size() << "x" << a.frames() << " vs "
               << b.channels.size() << "x" << b.frames();
    for (std::size_t c = 0; c < a.channels.size(); ++c)
        for (std::size_t n = 0; n < a.channels[c].size(); ++n)
            if (std::memcmp(&a.channels[c][n], &b.channels[c][n], sizeof(float)) != 0)
                return ::testing::AssertionFailure()
                       << "channel " << c << " frame " << n << ": " << a.channels[c][n] << " vs "
                       << b.channels[c][n];
    return ::testing::AssertionSuccess();
}

inline int lineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

} // namespace tooltest
