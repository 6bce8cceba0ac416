// The enabling rules: states of the link, the open log and the recent list
// against the set of commands they enable.
#include "app/CommandRules.h"
#include "app/Commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace cmd;

// Enabled in every state.
const std::set<int> Always = {Open, SaveAs, Print, PrintPreview, PrintSetup, Exit, FileList, About, ContextHelp};
const std::set<int> WithRecords = {SaveExcel, SaveTxt, SaveBmp, SavePdf, SaveCsv, DataList, Query, Summary,
                                   AlarmLimits, OriginalView};

std::set<int> Join(std::initializer_list<std::set<int>> parts)
{
    std::set<int> all;
    for (const auto& p : parts)
        all.insert(p.begin(), p.end());
    return all;
}

struct RuleCase {
    const char* name;
    CommandState state;
    std::set<int> enabled;
    const char* connectionText;
};

class CommandRulesTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CommandRulesTest, EnablesExactlyTheseCommands)
{
    const RuleCase& c = GetParam();
    for (const CommandInfo& info : Commands) {
        const bool expected = c.enabled.count(info.id) > 0;
        EXPECT_EQ(CommandRules::IsEnabled(info.id, c.state), expected)
            << c.name << ": command " << info.id << " (" << info.menuText << ")";
    }
    EXPECT_EQ(CommandRules::ConnectionText(c.state).toStdString(), c.connectionText);
}

const RuleCase Cases[] = {
    {"right after start-up", {false, 0, 0, false}, Join({Always, {Connect}}), "Disconnect"},
    {"after identify, the store emptied", {true, 0, 0, false},
     Join({Always, {Disconnect, Setup, Download, DeleteAll}}), "Connected"},
    {"a log open, not connected", {false, 0, 1, false}, Join({Always, WithRecords, {Connect}}), "Disconnect"},
    {"a full log open", {false, 0, 140000, false}, Join({Always, WithRecords, {Connect}}), "Disconnect"},
    {"erase awaiting its answer", {true, 'Z', 25, false},
     Join({Always, WithRecords, {Disconnect, DeleteAll}}), "Connected"},
    {"download running", {true, 'X', 0, false}, Join({Always, {Disconnect, Download, DeleteAll}}), "Connected"},
    {"recent list holds a file", {false, 0, 0, true}, Join({Always, {Connect, RecentFile}}), "Disconnect"},
    // The pause of a Disconnect greys every logger command, whatever the link says.
    {"pause of a Disconnect, a log open", {true, 0, 25, false, true}, Join({Always, WithRecords}), "Connected"},
    {"pause of a Disconnect, link already down", {false, 0, 0, true, true}, Join({Always, {RecentFile}}),
     "Disconnect"},
};

INSTANTIATE_TEST_SUITE_P(States, CommandRulesTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<RuleCase>& info) { return "case" + std::to_string(info.index); });

TEST(CommandRulesTest, CommandsWithoutRuleAreAlwaysEnabled)
{
    const CommandState idle{};
    for (int id : {New, Help})
        EXPECT_TRUE(CommandRules::IsEnabled(id, idle)) << id;
}

}  // namespace
