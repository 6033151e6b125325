#pragma once
#include <vector>

#include "core/settings/AppPaths.h"
#include "core/text/Bytes.h"
#include "core/files/FileStore.h"

namespace parlo {

inline constexpr const char kSayWildcard[] = "say*.txt";

// The entry shown for a listed say file: its name without the first three and the last four
// bytes, or empty when nothing is left ("sayBard.txt" shows as "Bard").
Bytes DisplayNameOf(const Bytes& fileName);
// The character a book belongs to, by its entry: the name without the dashes, underscores and
// blanks it starts with ("-Alice" is Alice's). Empty for a book of no one.
Bytes CharacterOfBook(const Bytes& displayName);
// The file behind an entry: "say" + displayName + ".txt".
Bytes SayFileNameFor(const Bytes& displayName);
// Index of the first entry equal, byte for byte, to the display name of fileName; -1 if none.
int FindFileIndex(const std::vector<Bytes>& entries, const Bytes& fileName);

// Display names of the say files in sayDir, in the order the directory lists them.
std::vector<Bytes> ListSayFiles(FileStore& files, const Bytes& sayDir);
// Removes sayDir + currentFile. Nothing is tried for an empty name; failures are not reported
// beyond the result.
bool DeleteSayFile(FileStore& files, const Bytes& sayDir, const Bytes& currentFile);

// Whether the book "say" + displayName + ".txt" is taken in sayDir, whatever the letter case of
// the file's name: also in a folder whose names are case-sensitive, where "sayNote.txt" does not
// answer to "sayNOTE.txt". Letters are folded as ASCII; double-byte characters match exactly.
bool SayFileTaken(FileStore& files, const Bytes& sayDir, const Bytes& displayName,
                  const LeadByteTest& isLeadByte = {});

// Why a name typed for Save As cannot become the say file sayDir + "say" + name + ".txt", as a
// sentence for a warning box; empty when it can. The empty name is fine (the unnamed book).
// Trail bytes of double-byte characters are not mistaken for separators when isLeadByte is given.
Bytes SaveAsNameProblem(const Bytes& displayName, const Bytes& sayDir, const LeadByteTest& isLeadByte = {});

}  // namespace parlo
