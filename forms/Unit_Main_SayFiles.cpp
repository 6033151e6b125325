// The say files: loading, saving, the list of books, switching, Save As and Delete.
#include "forms/Unit_Main.h"

namespace parlo {

bool TForm_Main::LoadSayFile(const Bytes&) { return true; }

bool TForm_Main::SaveSayFile(const Bytes&) { return true; }

bool TForm_Main::DeleteSayFile() { return false; }

void TForm_Main::RefreshFileList() {}

int TForm_Main::FindFileIndex(const Bytes&) { return -1; }

void TForm_Main::ComboBox_FilesChange() {}

void TForm_Main::Button_SaveClick() {}

void TForm_Main::Button1Click() {}

void TForm_Main::OpenInitialBook() { ClearSays(); }

}  // namespace parlo
