// The card simulator on arbitrary card.ini bytes: the reader, then a run of
// requests with buffers of every size (null ones included).  No answer
// writes past the buffer it is given, the natural answers report what they
// wrote, and the live mixer settings are what the last accepted code 15 set.
//
// Input: card.ini's bytes; the requests are taken from the end of the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "card.h"
#include "fuzz_support.h"

namespace {

using zpfuzz::Fail;

const std::uint32_t kCodes[] = {card::kGetResources,  card::kGetMixerSettings, card::kGetMixerSettingsSize,
                                card::kGetMemoryInfo, card::kSetMixerSettings, card::kReloadConfig};

// A buffer of exactly size bytes (or none), so that the sanitizer sees any
// access past it.
struct Buffer {
    Buffer(bool present, std::uint32_t n) : size(n) {
        if (present) {
            bytes = static_cast<unsigned char*>(std::malloc(n ? n : 1));
            std::memset(bytes, 0xa5, n ? n : 1);
        }
    }
    ~Buffer() { std::free(bytes); }
    std::uint32_t size;
    unsigned char* bytes = nullptr;
};

std::uint32_t Size(FuzzedDataProvider& requests) {
    switch (requests.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return requests.ConsumeIntegralInRange<std::uint32_t>(0, 8);
    case 1: return requests.PickValueInArray<std::uint32_t>({4, 177, 178, 179, 527, 528, 529});
    default: return requests.ConsumeIntegralInRange<std::uint32_t>(0, 1024);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const card::CardConfig config = card::ParseCardIni(text);
    card::Card card;
    card::ReloadCard(card, config);

    // The requests come from the last bytes, which leaves the text readable.
    FuzzedDataProvider requests(data, size);
    for (int n = requests.ConsumeIntegralInRange<int>(0, 8); n > 0; --n) {
        const std::uint32_t code = requests.ConsumeBool() ? requests.PickValueInArray(kCodes)
                                                          : requests.ConsumeIntegral<std::uint32_t>();
        Buffer in(requests.ConsumeBool(), Size(requests));
        Buffer out(requests.ConsumeBool(), Size(requests));
        if (code == card::kSetMixerSettings && in.bytes) in.bytes[in.size ? in.size - 1 : 0] = '\0';  // a text, as the caller must give
        const std::string before = card::LiveMixerSettings(card);
        const std::string sent = code == card::kSetMixerSettings ? card::SettingsTextOf(in.bytes) : std::string();
        const std::string line = card::RequestLogLine(code, in.bytes);
        if (line.find_first_of("\r\n") != std::string::npos) Fail("a request log line holds a line end", line);

        const int slot = card::OverrideSlot(code);
        const bool overridden = slot >= 0 && config.overrides[slot].present;
        const card::Answer answer = card::AnswerRequest(card, code, in.bytes, in.size, out.bytes, out.size);
        const std::string& live = card::LiveMixerSettings(card);
        if (answer.result == 0 && !overridden && answer.lastError == 0) Fail("a failed request without an error");
        if (slot < 0 && answer.result != 0) Fail("an unknown code was answered");
        if (code == card::kSetMixerSettings) {
            const bool refused = overridden && config.overrides[slot].result == 0;
            if (live != (refused ? before : sent)) Fail("code 15 did not set the settings it was sent", live, sent);
        } else if (live != before) {
            Fail("a request other than 15 changed the live settings", live, before);
        }
        if (code == card::kGetMixerSettings && !overridden) {
            const std::uint32_t whole = static_cast<std::uint32_t>(live.size()) + (config.mixerTerminated ? 1 : 0);
            const std::uint32_t expected = out.bytes ? std::min(out.size, whole) : 0;
            if (answer.returned != expected) Fail("code 11 reported a count it did not copy");
            if (expected && std::memcmp(out.bytes, live.c_str(), expected) != 0) Fail("code 11 copied other bytes");
        }
        if (!overridden && answer.result != 0 && out.bytes && answer.returned > out.size &&
            code != card::kGetMemoryInfo) {
            Fail("a natural answer reported more bytes than its buffer holds");
        }
    }
    return 0;
}
