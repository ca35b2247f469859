#include "fleet_generator.h"

#include "product_catalog.h"
#include "xml_util.h"

#include <cstdio>
#include <ctime>

namespace nodesim {

namespace {

using zmpxi_sim::BoardModel;
using zmpxi_sim::ProductCatalog;

// A small generator whose sequence is fixed by its seed on every platform, which the
// standard distributions are not.
class SplitMix {
public:
    explicit SplitMix(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned bound) { return static_cast<unsigned>(next() % bound); }
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t m_state;
};

// A bijection of the numbers below 2^bits chosen by `key`, so that distinct counters give
// distinct serial numbers.
std::uint32_t scramble(std::uint32_t counter, std::uint64_t key, unsigned bits)
{
    const std::uint32_t mask = (1u << bits) - 1u;
    std::uint32_t x = (counter ^ static_cast<std::uint32_t>(key)) & mask;
    x = (x * 0x9E3779B1u) & mask;
    return (x + static_cast<std::uint32_t>(key >> 32)) & mask;
}

std::string hex(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// Expansion enclosures that some nodes carry besides their own.
constexpr const char* kExpansions[] = {"QE-X8", "QE-R8", "QE-R16", "QE-P4", "QE-D2"};
constexpr const char* kNodeEnclosure = "QORINet QN-N6";

struct Keys {
    std::uint64_t base;
    std::uint64_t con;
    std::uint64_t enclosure;
};

Keys keysOf(std::uint32_t seed)
{
    SplitMix mix(seed);
    return Keys{mix.next(), mix.next(), mix.next()};
}

std::string firmwareFor(const BoardModel& model, SplitMix& random)
{
    const auto* latest = ProductCatalog::instance().latestFirmware(model.name);
    std::uint32_t version = 0x0100u;
    if (latest)
        zmpxi_sim::xml_util::parseHex32(latest->version, version);
    const unsigned roll = random.below(100);
    if (roll < 70)
        return hex(version, 4);
    if (roll < 82)
        return hex(version - 3u, 4); // the release before
    if (roll < 94)
        return hex(version - 6u, 4); // older than any release offered
    return hex(version + 1u, 4);
}

long calibrationAge(SplitMix& random)
{
    const unsigned roll = random.below(100);
    const long interval = FleetGenerator::kCalibrationIntervalDays;
    if (roll < 70)
        return 10 + static_cast<long>(random.below(static_cast<unsigned>(interval - 40)));
    if (roll < 85)
        return interval - 29 + static_cast<long>(random.below(29)); // due within 30 days
    return interval + 1 + static_cast<long>(random.below(500));     // overdue
}

} // namespace

FleetGenerator::FleetGenerator(std::uint32_t seed, long today) : m_seed(seed), m_today(today) {}

FleetHardware FleetGenerator::node(unsigned index) const
{
    const Keys keys = keysOf(m_seed);
    SplitMix random((static_cast<std::uint64_t>(m_seed) << 32 | index) * 0xD1B54A32D192ED03ull + 1);
    const ProductCatalog& catalog = ProductCatalog::instance();
    const auto& models = catalog.boards();

    FleetHardware hardware;
    const auto addEnclosure = [&](const char* name) {
        const auto number = static_cast<std::uint32_t>(2 * index + hardware.enclosures.size());
        hardware.enclosures.push_back({name, "00E4" + hex(scramble(number, keys.enclosure, 16), 4)});
        return catalog.enclosureByName(name);
    };
    const auto addBoard = [&](unsigned enclosure, unsigned slot) {
        const BoardModel& model = models[random.below(static_cast<unsigned>(models.size()))];
        const auto number = static_cast<std::uint32_t>(index * kMaxBoardsPerNode + hardware.boards.size());
        FleetBoard board;
        board.model = model.name;
        const bool older = !model.olderBaseVersions.empty() && random.below(4) == 0;
        board.baseVersion = older ? model.olderBaseVersions.front() : model.baseVersion;
        board.enclosure = enclosure;
        board.slot = slot;
        board.firmware = firmwareFor(model, random);
        board.serialNumber = "5E" + hex(scramble(number, keys.base, 24), 6);
        board.conSerialNumber = "5F" + hex(scramble(number, keys.con, 24), 6);
        board.calDate = dateText(m_today - calibrationAge(random));
        const bool warm = random.below(30) == 0;
        const double base = warm ? 52.0 + 14.0 * random.unit() : 26.0 + 12.0 * random.unit();
        board.baseTemp = zmpxi_sim::xml_util::fixed(base, 1);
        // A blank panel has no sensor of its own.
        if (model.family != zmpxi_sim::BoardFamily::Base)
            board.conTemp = zmpxi_sim::xml_util::fixed(base - 1.0 - 3.0 * random.unit(), 1);
        hardware.boards.push_back(board);
    };

    const auto* own = addEnclosure(kNodeEnclosure);
    const unsigned first = static_cast<unsigned>(own->slotNoOffset);
    for (unsigned slot = first; slot < first + static_cast<unsigned>(own->slotCount); ++slot) {
        if (random.below(10) < 7)
            addBoard(0, slot);
    }
    if (hardware.boards.empty())
        addBoard(0, first);
    if (random.below(5) == 0) {
        const auto* expansion = addEnclosure(kExpansions[random.below(std::size(kExpansions))]);
        const unsigned count = 1 + random.below(4);
        unsigned slot = static_cast<unsigned>(expansion->slotNoOffset);
        const unsigned end = slot + static_cast<unsigned>(expansion->slotCount);
        for (unsigned added = 0; added < count && slot < end; ++slot) {
            if (static_cast<std::int32_t>(slot) == expansion->starHubSlot)
                continue;
            addBoard(1, slot);
            ++added;
        }
    }
    return hardware;
}

long FleetGenerator::today()
{
    return static_cast<long>(std::time(nullptr) / 86400);
}

// The civil calendar from a day count (H. Hinnant's algorithm).
std::string FleetGenerator::dateText(long days)
{
    const long z = days + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shifted = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const long month = shifted < 10 ? shifted + 3 : shifted - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
    return text;
}

} // namespace nodesim
