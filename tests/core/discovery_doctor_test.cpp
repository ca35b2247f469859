// The discovery doctor's judgement of what it found: each cause of an empty node list comes out
// as a finding of the right level that names what it is about, and only ok findings mean all
// is well.
#include "core/discovery_doctor.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace z2e {
namespace {

using Level = DoctorFinding::Level;

// Loopback scanned under a restriction to it, one node at 127.0.0.5 answering well.
DiscoveryFacts healthy()
{
    DiscoveryFacts facts;
    facts.allowedNetworks = "127.0.0.0/8";
    facts.restricted = true;
    facts.interfaces = {{"lo", "127.0.0.1", "255.0.0.0", true, true, true}};
    facts.ports = {{29239, false, "the nodes' answers and announcements", true, true, "", {}, {}, false}};
    facts.clientStarted = true;
    facts.scanPort = 29238;
    facts.scanMs = 2500;
    facts.scanIntervalMs = 500;
    facts.scanRounds = 5;
    facts.scans = {{"127.0.0.1/255.0.0.0", "127.255.255.255", false, 5, 0, ""}};
    facts.nodes = {{"127.0.0.5", {"Bench, enclosure 00E41234, port 29237"}, 5, 200, false, true, 0, {}}};
    return facts;
}

// The finding whose title holds `part`; a failing test names the findings there are.
const DoctorFinding& finding(const std::vector<DoctorFinding>& findings, const std::string& part)
{
    static const DoctorFinding none{Level::Ok, "(none)", "", ""};
    const auto found = std::find_if(findings.begin(), findings.end(),
                                    [&](const DoctorFinding& f) { return f.title.find(part) != std::string::npos; });
    if (found != findings.end())
        return *found;
    std::string titles;
    for (const auto& f : findings)
        titles += "\n  " + f.title;
    ADD_FAILURE() << "no finding \"" << part << "\" among:" << titles;
    return none;
}

TEST(DiscoveryDoctor, AHealthyNetworkIsAllWellAndSaysWhatWasScanned)
{
    const auto findings = DiscoveryDoctor::judge(healthy());
    EXPECT_TRUE(DiscoveryDoctor::allWell(findings));
    EXPECT_NE(finding(findings, "looked for on 1 interface").detail.find("lo 127.0.0.1/255.0.0.0"), std::string::npos);
    EXPECT_EQ(finding(findings, "Scans went out from 127.0.0.1/255.0.0.0 to 127.255.255.255").level, Level::Ok);
    EXPECT_NE(finding(findings, "Bench, enclosure 00E41234, port 29237 at 127.0.0.5 answers").detail.find("0.2 s ago"),
              std::string::npos);
}

TEST(DiscoveryDoctor, APortTakenByAnotherProgramIsNamedWithWhatToClose)
{
    DiscoveryFacts facts = healthy();
    facts.ports.front().free = false;
    facts.ports.front().error = "Address already in use";
    facts.ports.front().holders = {{4711, "python3"}};
    facts.ports.push_back(
        {29247, true, "the nodes' measurement data", false, false, "Address already in use", {}, {0}});
    facts.ports.push_back(
        {29240, false, "the log server's scans", false, false, "Address already in use", {}, {}, true});
    const auto findings = DiscoveryDoctor::judge(facts);
    EXPECT_FALSE(DiscoveryDoctor::allWell(findings));

    const DoctorFinding& answers =
        finding(findings, "Port 29239/UDP (the nodes' answers and announcements) is taken by python3 (process 4711)");
    EXPECT_EQ(answers.level, Level::Problem);
    EXPECT_NE(answers.nextStep.find("Close python3 (process 4711)"), std::string::npos);
    // Whose it is, when this user may not see the program.
    const DoctorFinding& data =
        finding(findings, "Port 29247/TCP (the nodes' measurement data) is taken by a program of another user");
    EXPECT_EQ(data.level, Level::Warning);
    EXPECT_NE(data.detail.find("uid 0"), std::string::npos);
    // The window's own client holds its ports: nothing to do.
    EXPECT_NE(finding(findings, "Ports free").detail.find("29240/UDP (this program's own)"), std::string::npos);
}

TEST(DiscoveryDoctor, NodesThatAnswerWronglyOrNotAtAllAreEachAProblemOrWarning)
{
    DiscoveryFacts facts = healthy();
    facts.nodes.push_back({"127.0.0.6", {"Bay-A, port 29237", "Impostor, port 29237"}, 6, 100, false, true, 0, {}});
    facts.nodes.push_back({"169.254.7.8", {"Lonely"}, 3, 100, false, true, 0, {}});
    facts.nodes.push_back({"10.1.2.3", {"Routed"}, 3, 100, false, true, 0, {}});
    facts.nodes.push_back({"127.0.0.9", {"Gone"}, 2, 4000, false, true, 0, {}});
    facts.nodes.push_back({"127.0.0.99", {}, 0, -1, true, true, 0, {}});
    facts.nodes.push_back({"192.168.5.5", {}, 0, -1, true, false, 0, {}});
    facts.scans.push_back({"127.0.0.99", "127.0.0.99", true, 5, 0, ""});
    const auto findings = DiscoveryDoctor::judge(facts);

    const DoctorFinding& duplicate = finding(findings, "Several nodes answer as 127.0.0.6");
    EXPECT_EQ(duplicate.level, Level::Problem);
    EXPECT_NE(duplicate.detail.find("Bay-A, port 29237; Impostor, port 29237"), std::string::npos);
    EXPECT_EQ(finding(findings, "Lonely at 169.254.7.8 has a link-local address").level, Level::Warning);
    EXPECT_EQ(finding(findings, "Routed at 10.1.2.3 is on none of this computer's networks").level, Level::Warning);
    EXPECT_NE(finding(findings, "Gone at 127.0.0.9 stopped answering").detail.find("4.0 s ago"), std::string::npos);
    const DoctorFinding& silent = finding(findings, "Remembered node 127.0.0.99 does not answer");
    EXPECT_EQ(silent.level, Level::Problem);
    EXPECT_NE(silent.detail.find("Asked 5 times"), std::string::npos);
    EXPECT_NE(silent.nextStep.find("UDP port 29238"), std::string::npos);
    EXPECT_EQ(finding(findings, "Remembered node 192.168.5.5 is not asked").level, Level::Warning);
    // Garbage from more senders than are listed is named once, as a flood.
    facts.refusedUnlisted = 3000;
    const auto flooded = DiscoveryDoctor::judge(facts);
    const DoctorFinding& flood = finding(flooded, "Unusable answers came from many more senders");
    EXPECT_EQ(flood.level, Level::Warning);
    EXPECT_NE(flood.detail.find("3000 answers from senders beyond those listed"), std::string::npos) << flood.detail;
    // A node with trouble gets no "answers" line besides.
    EXPECT_EQ(std::count_if(findings.begin(), findings.end(),
                            [](const DoctorFinding& f) { return f.title.find("Lonely") != std::string::npos; }),
              1);
}

TEST(DiscoveryDoctor, SettingsThatHideEveryNodeAreNamed)
{
    DiscoveryFacts facts = healthy();
    facts.nodes.clear();
    facts.interfaces.push_back({"eth0", "192.168.1.20", "255.255.255.0", false, false, false});
    auto findings = DiscoveryDoctor::judge(facts);
    EXPECT_EQ(finding(findings, "No node answered within 2.5 s").level, Level::Problem);
    // Left-out interfaces are suspects only while nothing answers.
    const DoctorFinding& restriction = finding(findings, "Only 127.0.0.0/8 is allowed");
    EXPECT_EQ(restriction.level, Level::Warning);
    EXPECT_NE(restriction.detail.find("eth0 192.168.1.20/255.255.255.0"), std::string::npos);
    facts.nodes = healthy().nodes;
    EXPECT_EQ(finding(DiscoveryDoctor::judge(facts), "Only 127.0.0.0/8 is allowed").level, Level::Ok);

    facts.allowsNothing = true;
    EXPECT_EQ(finding(DiscoveryDoctor::judge(facts), "allows no network").level, Level::Problem);

    DiscoveryFacts chosen = healthy();
    chosen.networks = NetworkClientSettings::Networks::OneAddress;
    chosen.chosenAddress = "10.9.9.9";
    chosen.chosenMask = "255.255.255.0";
    chosen.interfaces.front().considered = false;
    EXPECT_EQ(finding(DiscoveryDoctor::judge(chosen), "The chosen address 10.9.9.9 is on no usable interface").level,
              Level::Problem);

    DiscoveryFacts off = healthy();
    off.networks = NetworkClientSettings::Networks::Off;
    findings = DiscoveryDoctor::judge(off);
    EXPECT_EQ(finding(findings, "switched off").level, Level::Problem);
    EXPECT_TRUE(std::none_of(findings.begin(), findings.end(),
                             [](const DoctorFinding& f) { return f.title.find("answers") != std::string::npos; }));

    DiscoveryFacts skipped = healthy();
    skipped.scans.front() = {"169.254.3.3/255.255.0.0", "", false, 0, 0, "a link-local address gets no broadcast"};
    skipped.cancelled = true;
    findings = DiscoveryDoctor::judge(skipped);
    EXPECT_EQ(finding(findings, "No scan from 169.254.3.3/255.255.0.0").level, Level::Warning);
    EXPECT_EQ(finding(findings, "cancelled").level, Level::Warning);
}

} // namespace
} // namespace z2e
