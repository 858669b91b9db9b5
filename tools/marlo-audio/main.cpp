// marlo-audio: the program's audio companion. It captures what the desktop plays (or replays a
// WAVE file), turns it into a spectrum of bars at a steady rate and sends each to the running
// program as a copy-data block of kind 1, with the style colour the program gave it as kind 2.
// The program starts it while a device shows its music mode and ends it after.
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CompanionWindow.h"
#include "PulseCapture.h"
#include "audio/SpectrumBands.h"
#include "audio/WavFile.h"
#include "platform/EndpointClient.h"
#include "platform/MessageEndpoint.h"
#include "platform/NumberText.h"

namespace {

constexpr const char* kUsage =
    "usage: marlo-audio [--input FILE.wav] [--print] [--rate STEPS_PER_SECOND]\n"
    "  Captures what the desktop plays and sends its spectrum to the running Marlo Gear.\n"
    "  --input FILE.wav  replay a file (once) instead of capturing\n"
    "  --print           also write each spectrum as one line of band values, lowest first\n"
    "  --rate N          spectra a second, 5-60 (default 30)\n";

std::atomic<bool> stopping{false};

void OnSignal(int) {
    stopping = true;
}

struct Options {
    std::string input;
    bool print = false;
    uint32_t rate = 30;
};

std::optional<Options> ParseArgs(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--input" && i + 1 < argc) {
            options.input = argv[++i];
        } else if (arg == "--print") {
            options.print = true;
        } else if (arg == "--rate" && i + 1 < argc) {
            const auto rate = marlo::platform::NumberText::Parse<uint32_t>(argv[++i]);
            if (!rate || *rate < 5 || *rate > 60) {
                return std::nullopt;
            }
            options.rate = *rate;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Hands each spectrum on: printed, and sent to the program when it runs (quietly not when it
// does not).
class Sender {
  public:
    Sender(bool print, const marlo_audio::CompanionWindow& window)
        : print_(print), window_(window) {
        if (const auto path = marlo::platform::MessageEndpoint::DefaultPath()) {
            program_.emplace(*path);
        }
    }

    void Send(const std::vector<uint8_t>& bars) {
        if (print_) {
            std::string line;
            for (const uint8_t b : bars) {
                line += (line.empty() ? "" : " ") + std::to_string(b);
            }
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
        if (!program_) {
            return;
        }
        marlo::platform::EndpointRequest request;
        request.kind = marlo::platform::EndpointRequest::Kind::kCopyData;
        request.dataKind = 1;
        request.data.assign(bars.begin(), bars.end());
        // One connection kept for every spectrum, not one a spectrum.
        program_->Send(request, kSendTimeoutMs);
        if (const auto colour = window_.colour()) {
            request.dataKind = 2;
            request.data = {static_cast<char>(*colour >> 16), static_cast<char>(*colour >> 8),
                            static_cast<char>(*colour)};
            program_->Send(request, kSendTimeoutMs);
        }
    }

  private:
    static constexpr uint32_t kSendTimeoutMs = 200;
    bool print_;
    const marlo_audio::CompanionWindow& window_;
    std::optional<marlo::platform::EndpointClient> program_;
};

// Waits until `due` (a steady clock's time); false when a stop signal came.
bool SleepUntil(std::chrono::steady_clock::time_point due) {
    while (!stopping) {
        const auto left = due - std::chrono::steady_clock::now();
        if (left <= std::chrono::nanoseconds(0)) {
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec pause{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        nanosleep(&pause, nullptr);  // a signal ends it early
    }
    return false;
}

int Replay(const Options& options, Sender& sender) {
    std::string error;
    const auto file = marlo::audio::WavFile::Read(options.input, &error);
    if (!file) {
        std::fprintf(stderr, "marlo-audio: %s: %s\n", options.input.c_str(), error.c_str());
        return 1;
    }
    marlo::audio::SpectrumBands analyser(file->sampleRate());
    const std::vector<float>& samples = file->samples();
    const size_t hop = std::max<size_t>(1, file->sampleRate() / options.rate);
    auto due = std::chrono::steady_clock::now();
    for (size_t end = hop; end <= samples.size() && !stopping; end += hop) {
        const size_t begin = end > marlo::audio::SpectrumBands::kWindow
                                 ? end - marlo::audio::SpectrumBands::kWindow
                                 : 0;
        sender.Send(analyser.Analyse(std::span(samples).subspan(begin, end - begin)));
        due += std::chrono::microseconds(1000000 / options.rate);
        if (!SleepUntil(due)) {
            break;
        }
    }
    return 0;
}

int Capture(const Options& options, Sender& sender) {
    marlo_audio::PulseCapture capture;
    const uint32_t hop = marlo_audio::PulseCapture::kSampleRate / options.rate;
    if (!capture.Open(hop)) {
        std::fprintf(stderr, "marlo-audio: the desktop's sound cannot be captured: %s\n",
                     capture.error().c_str());
        return 1;
    }
    marlo::audio::SpectrumBands analyser(marlo_audio::PulseCapture::kSampleRate);
    std::vector<float> recent(marlo::audio::SpectrumBands::kWindow, 0.0f);
    std::vector<float> step(hop);
    while (!stopping) {
        if (!capture.Read(step)) {
            std::fprintf(stderr, "marlo-audio: the capture ended: %s\n", capture.error().c_str());
            return 1;
        }
        // The newest window's worth of samples, oldest first.
        std::rotate(recent.begin(), recent.begin() + std::min<size_t>(hop, recent.size()),
                    recent.end());
        const size_t n = std::min(step.size(), recent.size());
        std::copy(step.end() - static_cast<ptrdiff_t>(n), step.end(),
                  recent.end() - static_cast<ptrdiff_t>(n));
        sender.Send(analyser.Analyse(recent));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto options = ParseArgs(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    struct sigaction action{};
    action.sa_handler = OnSignal;  // no SA_RESTART: a wait ends at the signal
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    marlo_audio::CompanionWindow window;
    if (!window.Open()) {
        std::fprintf(stderr, "marlo-audio: the companion window cannot be registered; the "
                             "program's colours will not reach it\n");
    }
    Sender sender(options->print, window);
    return options->input.empty() ? Capture(*options, sender) : Replay(*options, sender);
}
