// User variables: named texts defined by the configuration and used as {Name},
// the prompts that ask the user for them, and the `stringreplace` key.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"

// No substitution or `stringreplace` makes a text longer than this (twice the
// longest command line Windows takes): a variable that refers to itself, and is
// defined again, would otherwise double the text with every slot of its name.
inline constexpr std::size_t kUserTextLimit = 65536;

void StoreUserVar(LauncherContext& ctx, std::wstring_view text);
std::wstring LookupUserVar(const LauncherContext& ctx, std::wstring_view name);
std::wstring SubstituteUserVars(const LauncherContext& ctx, std::wstring_view text);

// Replaces {USERTEXT}, {USERFILE} and {USERDIR} by the user's answers: every text
// prompt first, then every file prompt, then every folder prompt, each in order of
// occurrence. An answer is inserted as given and never searched for prompts.
std::wstring ResolvePrompts(LauncherContext& ctx, std::wstring_view value,
                            std::wstring_view keyName);

enum class PromptKind { Text, File, Dir };

// Shows one prompt, set up by the USERTEXT_*, USERFILE_* and USERDIR_* variables,
// and gives the answer (empty when cancelled). For a `uservar` key the answer is
// stored under field 1 of the value as well.
std::wstring AskUser(LauncherContext& ctx, std::wstring_view value, std::wstring_view keyName,
                     PromptKind kind);

// The `stringreplace` key: "source :: find :: replacement :: name" stores the
// source with every find replaced under the name.
void StringReplaceVar(LauncherContext& ctx, const std::wstring& value);
