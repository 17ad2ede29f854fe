#pragma once
// The commands of the script language and the words that name them: what the interpreter
// reads and what a recording writes.

#include <array>
#include <string_view>

namespace qm {

// In matching order: the first that matches a line wins.
enum class ScriptCommand {
    Go,
    TestUrl,
    SetBaseUrl,
    SetY,
    GetSource,
    DelBef,
    DelAft,
    DePerc,
    DeSlash,
    RetBef,
    RetAft,
    DelExcept,
    TestLinks,
    SetSource,
    DosToWin,
    WinToDos,
    SFirst,
    SNext,
    SLast,
    X,
    NoSelX,
    Close,
};

// A word matched as a prefix takes what follows it as its argument; a whole-line word
// matches only alone.
enum class CommandMatch { Prefix, WholeLine };

struct CommandWord {
    ScriptCommand command;
    std::string_view word;
    CommandMatch match;
};

// In the order of ScriptCommand.
inline constexpr std::array<CommandWord, 22> kCommandWords = {{
    {ScriptCommand::Go, "GO", CommandMatch::Prefix},
    {ScriptCommand::TestUrl, "TESTURL", CommandMatch::Prefix},
    {ScriptCommand::SetBaseUrl, "SETBASEURL", CommandMatch::Prefix},
    {ScriptCommand::SetY, "SETY", CommandMatch::Prefix},
    {ScriptCommand::GetSource, "GETSOURCE", CommandMatch::WholeLine},
    {ScriptCommand::DelBef, "DELBEF", CommandMatch::WholeLine},
    {ScriptCommand::DelAft, "DELAFT", CommandMatch::WholeLine},
    {ScriptCommand::DePerc, "DEPERC", CommandMatch::WholeLine},
    {ScriptCommand::DeSlash, "DESLASH", CommandMatch::WholeLine},
    {ScriptCommand::RetBef, "RETBEF", CommandMatch::Prefix},
    {ScriptCommand::RetAft, "RETAFT", CommandMatch::Prefix},
    {ScriptCommand::DelExcept, "DELEXCEPT", CommandMatch::Prefix},
    {ScriptCommand::TestLinks, "TESTLINKS", CommandMatch::WholeLine},
    {ScriptCommand::SetSource, "SETSOURCE", CommandMatch::WholeLine},
    {ScriptCommand::DosToWin, "DOSTOWIN", CommandMatch::WholeLine},
    {ScriptCommand::WinToDos, "WINTODOS", CommandMatch::WholeLine},
    {ScriptCommand::SFirst, "SFIRST", CommandMatch::Prefix},
    {ScriptCommand::SNext, "SNEXT", CommandMatch::Prefix},
    {ScriptCommand::SLast, "SLAST", CommandMatch::Prefix},
    {ScriptCommand::X, "X", CommandMatch::WholeLine},
    {ScriptCommand::NoSelX, "NOSELX", CommandMatch::Prefix},
    {ScriptCommand::Close, "CLOSE", CommandMatch::WholeLine},
}};

constexpr const CommandWord& WordOf(ScriptCommand command) {
    return kCommandWords[static_cast<size_t>(command)];
}

} // namespace qm
