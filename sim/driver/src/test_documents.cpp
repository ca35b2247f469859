#include "test_documents.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include <pugixml.hpp>

#include "xml_util.h"

namespace zmpxi_sim {
namespace {

using xml_util::fixed;
using xml_util::unitHash;

struct Measurement {
    std::string device;
    std::string range;
    double value = 0.0;
    double limit = 0.0;
    std::vector<std::pair<const char*, std::string>> extra;
};

struct Check {
    std::string target;
    double limit = 0.0;
    std::vector<Measurement> items;
    std::string forcedVerdict; ///< from the fault settings; empty: judged by the values
};

std::string rangeText(const BoardModel& model)
{
    return "+/-" + fixed(model.rangeVolts, model.rangeVolts < 1.0 ? 2 : 0) + " V";
}

// A measured deviation well inside the limit, stable for one board and channel.
double withinLimit(const SimBoard& board, const std::string& what, double limit)
{
    return limit * 0.4 * unitHash(board.stateKey() + what);
}

// What a check's values are measured in; "" for counts and ratios.
const char* unitOf(const std::string& target)
{
    static const std::pair<const char*, const char*> kUnits[] = {
        {"Supply", "V"},          {"Excitation", "V"},     {"Reference", "V"},
        {"AmplifierOffset", "V"}, {"Temperature", "degC"}, {"ThreeWire", "Ohm"},
    };
    for (const auto& [name, unit] : kUnits) {
        if (target == name)
            return unit;
    }
    return "";
}

std::string judge(const Check& check)
{
    if (!check.forcedVerdict.empty())
        return check.forcedVerdict;
    for (const Measurement& item : check.items) {
        if (std::fabs(item.value) > item.limit)
            return "false";
    }
    return "true";
}

class ResultBuilder {
public:
    ResultBuilder(const SimBoard& board, int boardId, const char* root, const std::string& kind)
    {
        pugi::xml_node top = m_doc.append_child(root);
        if (!kind.empty())
            top.append_attribute("Kind") = kind.c_str();
        m_board = top.append_child(("BoardId" + std::to_string(boardId < 0 ? 0 : boardId)).c_str());
        m_board.append_attribute("Passed") = "true";
        m_board.append_attribute("Name") = board.displayName().c_str();
        m_board.append_attribute("SerialNumber") = board.serialNumber().c_str();
        m_board.append_attribute("Date") = EepromDocuments::today().c_str();
        m_board.append_attribute("BaseBoardTemp") = board.baseTemperature().c_str();
    }

    void add(const Check& check)
    {
        const std::string verdict = judge(check);
        pugi::xml_node node = m_board.append_child("Check");
        node.append_attribute("Target") = check.target.c_str();
        node.append_attribute("Passed") = verdict.c_str();
        node.append_attribute("Limit") = fixed(check.limit, 6).c_str();
        int index = 0;
        for (const Measurement& item : check.items) {
            pugi::xml_node id = node.append_child(("ID" + std::to_string(index++)).c_str());
            id.append_attribute("Device") = item.device.c_str();
            id.append_attribute("Range") = item.range.c_str();
            id.append_attribute("Value") = fixed(item.value, 6).c_str();
            if (const char* unit = unitOf(check.target); *unit != '\0')
                id.append_attribute("Unit") = unit;
            id.append_attribute("Limit") = fixed(item.limit, 6).c_str();
            for (const auto& [name, value] : item.extra)
                id.append_attribute(name) = value.c_str();
            id.append_attribute("Passed") = std::fabs(item.value) <= item.limit ? "true" : "false";
        }
        if (verdict != "true" && m_verdict == "true")
            m_verdict = verdict;
    }

    void setVerdict(const char* verdict) { m_verdict = verdict; }

    std::string finish()
    {
        m_board.attribute("Passed").set_value(m_verdict.c_str());
        return xml_util::print(m_doc);
    }

private:
    pugi::xml_document m_doc;
    pugi::xml_node m_board;
    std::string m_verdict = "true";
};

Check perChannel(const SimBoard& board, const char* target, const char* prefix, int count, const std::string& range,
                 double limit)
{
    Check check{target, limit, {}, {}};
    for (int ch = 0; ch < count; ++ch) {
        const std::string device = prefix + std::to_string(ch);
        check.items.push_back({device, range, withinLimit(board, target + device, limit), limit, {}});
    }
    return check;
}

std::vector<Check> familyChecks(const SimBoard& board, double scale)
{
    const BoardModel& model = board.model();
    std::vector<Check> checks;
    if (model.aiChannels > 0)
        checks.push_back(perChannel(board, "Reference", "AI", model.aiChannels, rangeText(model), 0.001 * scale));
    if (model.counterChannels > 0)
        checks.push_back(perChannel(board, "CounterLoop", "CNT", model.counterChannels, "20 MHz", 1.0 * scale));
    if (model.dioChannels > 0)
        checks.push_back(perChannel(board, "DigitalLoop", "DIO", (model.dioChannels + 7) / 8, "8 lines", 1.0 * scale));
    if (model.canChannels > 0)
        checks.push_back(perChannel(board, "CanLoop", "CAN", model.canChannels, "500 kbit/s", 1.0 * scale));
    if (model.uartChannels > 0)
        checks.push_back(perChannel(board, "UartLoop", "UART", model.uartChannels, "115200 Bd", 1.0 * scale));
    return checks;
}

Check excitationCheck(const SimBoard& board, double scale)
{
    const double limit = 0.01 * scale;
    return {"Excitation", limit, {{"Excitation", "5 V", withinLimit(board, "exc", limit), limit, {}}}, {}};
}

Check supplyCheck(const SimBoard& board, double scale)
{
    Check check{"Supply", 0.25 * scale, {}, {}};
    for (const char* rail : {"+5 V", "+12 V", "-12 V"})
        check.items.push_back({"Supply", rail, withinLimit(board, rail, 0.25 * scale), 0.25 * scale, {}});
    return check;
}

void forceFailure(Check& check, const std::string& verdict)
{
    check.forcedVerdict = verdict;
    if (!check.items.empty())
        check.items.front().value = check.items.front().limit > 0.0 ? check.items.front().limit * 1.7 : 1.0;
}

} // namespace

std::string TestDocuments::selfTest(const SimBoard& board, int boardId, const std::string& kind)
{
    const double scale = kind == "factorytest" ? 2.0 : 1.0;
    ResultBuilder result(board, boardId, "HardwareCheck", kind.empty() ? "standard" : kind);
    if (kind == "excitationtest") {
        if (!board.model().excitation) {
            result.setVerdict("na");
            return result.finish();
        }
        Check check = excitationCheck(board, scale);
        if (!board.entry().faults.selfTestVerdict.empty())
            forceFailure(check, board.entry().faults.selfTestVerdict);
        result.add(check);
        return result.finish();
    }
    std::vector<Check> own = familyChecks(board, scale);
    if (board.model().excitation)
        own.push_back(excitationCheck(board, scale));
    std::vector<Check> checks{supplyCheck(board, scale)};
    // The fault hits the board's own function; a plain base board only has its supply.
    const std::string& verdict = board.entry().faults.selfTestVerdict;
    if (!verdict.empty())
        forceFailure(own.empty() ? checks.front() : own.front(), verdict);
    const std::string temperatureText = board.baseTemperature();
    char* end = nullptr;
    const double temperature = std::strtod(temperatureText.c_str(), &end);
    if (end != temperatureText.c_str())
        checks.push_back({"Temperature", 70.0, {{"BaseBoard", "degC", temperature, 70.0, {}}}, {}});
    for (Check& check : own)
        checks.push_back(std::move(check));
    for (const Check& check : checks)
        result.add(check);
    return result.finish();
}

std::string TestDocuments::channelCheck(const SimBoard& board, int boardId)
{
    const BoardModel& model = board.model();
    ResultBuilder result(board, boardId, "ChannelCheck", "");
    if (model.aiChannels == 0) {
        result.setVerdict("na");
        return result.finish();
    }
    for (int ch = 0; ch < model.aiChannels; ++ch) {
        const std::string device = "AI" + std::to_string(ch);
        Check check{device, 0.001, {}, {}};
        check.items.push_back(
            {device, rangeText(model), withinLimit(board, device + "off", 0.0005), 0.0005, {{"Measure", "Offset"}}});
        check.items.push_back(
            {device, rangeText(model), withinLimit(board, device + "gain", 0.001), 0.001, {{"Measure", "Gain"}}});
        result.add(check);
    }
    return result.finish();
}

std::string TestDocuments::autoZero(const SimBoard& board, int boardId, const std::vector<ChannelCal>& before,
                                    const std::vector<ChannelCal>& after)
{
    ResultBuilder result(board, boardId, "AmplifierOffset", "");
    Check check{"AmplifierOffset", 0.0005, {}, {}};
    for (std::size_t ch = 0; ch < after.size() && ch < before.size(); ++ch) {
        const std::string device = "AI" + std::to_string(ch);
        check.items.push_back(
            {device,
             rangeText(board.model()),
             after[ch].offset,
             0.0005,
             {{"Old_Offset", fixed(before[ch].offset, 6)}, {"New_Offset", fixed(after[ch].offset, 6)}}});
    }
    result.add(check);
    return result.finish();
}

std::string TestDocuments::gainCalibration(const SimBoard& board, int boardId, const std::vector<ChannelCal>& before,
                                           const std::vector<ChannelCal>& after)
{
    ResultBuilder result(board, boardId, "Selfjustage", "");
    Check check{"SelfJustage", 0.002, {}, {}};
    for (std::size_t ch = 0; ch < after.size() && ch < before.size(); ++ch) {
        const std::string device = "AI" + std::to_string(ch);
        const double measured = after[ch].gain / (before[ch].gain == 0.0 ? 1.0 : before[ch].gain);
        check.items.push_back({device,
                               rangeText(board.model()),
                               measured - 1.0,
                               0.002,
                               {{"Meas_Gain", fixed(measured, 6)},
                                {"Old_Gain", fixed(before[ch].gain, 6)},
                                {"New_Gain", fixed(after[ch].gain, 6)}}});
    }
    result.add(check);
    return result.finish();
}

std::string TestDocuments::threeWire(const SimBoard& board, int boardId)
{
    ResultBuilder result(board, boardId, "ThreeWireInternalLineResistance", "");
    Check check{"ThreeWire", 0.5, {}, {}};
    for (int ch = 0; ch < board.model().aiChannels; ++ch) {
        const std::string device = "AI" + std::to_string(ch);
        const double ohms = 0.05 + withinLimit(board, device + "3w", 0.5);
        check.items.push_back({device, "3-wire", ohms, 0.5, {{"Resistance", fixed(ohms, 4)}}});
    }
    result.add(check);
    return result.finish();
}

std::string TestDocuments::verdictOnly(const SimBoard& board, int boardId, const char* root, const char* verdict)
{
    ResultBuilder result(board, boardId, root, "");
    result.setVerdict(verdict);
    return result.finish();
}

} // namespace zmpxi_sim
