// Importing the lines a player keeps in the game client's macros or an assistant's scripts.
#include <string>

#include "core/settings/AppPaths.h"
#include "core/game/ClientProfile.h"
#include "core/game/Delivery.h"
#include "core/files/FileStore.h"
#include "core/import/MacroImport.h"
#include "core/book/PhraseGrid.h"
#include "forms/Unit_Main.h"
#include "platform/Win32CodePage.h"

namespace parlo {

namespace {

// No macro file comes near this; a larger one is something else and is not read into memory.
constexpr std::uint64_t kLargestImport = 16u * 1024u * 1024u;

Bytes ImportReport(const Bytes& name, const ImportOutcome& outcome, int unwritable) {
  Bytes text = "Imported " + std::to_string(outcome.added) + (outcome.added == 1 ? " line" : " lines") +
               " from " + name;
  Bytes leftOut;
  if (outcome.alreadyInBook > 0)
    leftOut += std::to_string(outcome.alreadyInBook) + (outcome.alreadyInBook == 1 ? " was" : " were") +
               " already in the book";
  if (unwritable > 0) {
    if (!leftOut.empty()) leftOut += ", ";
    leftOut += std::to_string(unwritable) + (unwritable == 1 ? " holds" : " hold") +
               " characters this system cannot write";
  }
  if (!leftOut.empty()) text += "; " + leftOut;
  return text + ".";
}

}  // namespace

Bytes TForm_Main::ImportStartFolder() const {
  // The character the lines go to keeps its macros there.
  if (services_.game && services_.files && services_.processImagePath) {
    const std::optional<GameWindow> game =
        FindGameWindow(*services_.game, GameChoiceFor(GameCaption), services_.leadBytes);
    if (game && !game->classic && game->processId) {
      const Bytes image = services_.processImagePath(game->processId);
      const Bytes client = image.empty() ? Bytes() : ExecutableDirectory(image, IsLeadByte());
      if (!client.empty()) {
        if (auto folder = CharacterProfileFolder(*services_.files, client, game->title, services_.codePage))
          return *folder;
      }
    }
  }
  if (!importFolder_.empty()) return importFolder_;
  return ExecutableDirectory(services_.exePath, IsLeadByte());
}

void TForm_Main::ImportLinesClick() {
  grid_.EndEdit(true);
  if (!services_.openFile) return;
  OpenFileRequest request;
  request.title = "Import lines";
  request.filters = {{"Macros and scripts", "macros.xml;*.macro;*.razor;*.json;*.py;*.uos;*.lscript;macros.txt"},
                     {"All files", "*.*"}};
  request.folder = ImportStartFolder();
  const std::optional<Bytes> path = services_.openFile(Handle(), request);
  if (path) ImportLinesFrom(*path);
}

void TForm_Main::ImportLinesFrom(const Bytes& path) {
  grid_.EndEdit(true);
  const LeadByteTest isLead = IsLeadByte();
  const Bytes name = FileNameOfPath(path, isLead);
  // The player went looking there, whatever the file turns out to hold.
  importFolder_ = ExecutableDirectory(path, isLead);
  OwnedMessageBoxes boxes(services_.messageBox, Handle());

  MacroImport found;
  Bytes bytes;
  // Shared: the client or the assistant may hold its macros open, and may save them meanwhile.
  if (services_.files && services_.files->ReadShared(path, kLargestImport, bytes)) {
    Win32CodePage systemCodePage;
    found = ReadMacroLines(bytes, name, services_.codePage ? *services_.codePage : systemCodePage,
                           services_.leadBytes);
  }
  if (!found.recognised) {
    boxes.Show("Parlo cannot read lines from " + name + ".", "Parlo", kMbOk | kMbIconWarning);
    return;
  }
  if (found.lines.empty() && found.unwritable == 0) {
    boxes.Show("No lines to import in " + name + ".", "Parlo", kMbOk | kMbIconInformation);
    return;
  }
  GridModel& model = grid_.Model();
  const int rowsBefore = model.RowCount();
  const ImportOutcome outcome = ImportLines(model, name, found.lines);
  if (outcome.added > 0) {
    RebindLineHotKeys();
    grid_.InvalidateGrid();
    // As much of the new section in sight as the grid holds, from its first row on.
    grid_.ScrollIntoView(model.Col(), model.Row() + model.RowCount() - rowsBefore - 1);
    grid_.ScrollIntoView(model.Col(), model.Row());
  }
  boxes.Show(ImportReport(name, outcome, found.unwritable), "Parlo", kMbOk | kMbIconInformation);
}

}  // namespace parlo
