// Files dropped on the list and pasted, songs copied and dragged out, and the shell commands on a song.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/u_funktionen.h"
#include "classlib/Menus.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/Clipboard.h"
#include "tests/support/DialogAnswer.h"

namespace {

// A dropped-file block as the shell makes it: the header, then the UTF-16 names, each ended by a zero.
HGLOBAL DropBlock(const std::vector<std::wstring>& Names) {
  std::wstring List;
  for (const std::wstring& Name : Names) List += Name + L'\0';
  List += L'\0';
  const HGLOBAL Block = GlobalAlloc(GHND, sizeof(DROPFILES) + List.size() * sizeof(wchar_t));
  auto* Header = static_cast<DROPFILES*>(GlobalLock(Block));
  Header->pFiles = sizeof(DROPFILES);
  Header->fWide = TRUE;
  std::memcpy(Header + 1, List.data(), List.size() * sizeof(wchar_t));
  GlobalUnlock(Block);
  return Block;
}

std::vector<std::wstring> Paths() {
  std::vector<std::wstring> Result;
  for (const Song& S : AlleSongs) Result.push_back(S[sfPath]);
  return Result;
}

class ProgDragDrop : public TProgFixture {
 protected:
  // A playlist of two songs whose lines end in LF alone.
  std::wstring LfPlaylist(const std::wstring& Name) {
    std::string Text = PlaylistLine(L"C:\\one.mp3") + PlaylistLine(L"C:\\two.mp3");
    for (size_t Pos; (Pos = Text.find("\r\n")) != std::string::npos;) Text.erase(Pos, 1);
    WriteBytes(Dir.File(Name), Bytes(Text.begin(), Text.end()));
    return Dir.File(Name);
  }
};

TEST_F(ProgDragDrop, ADropAddsFolderPlaylistAndFilesAndEndsTheDropOnce) {
  const std::wstring Playlist = LfPlaylist(L"list.VLM");
  const std::wstring Wide = CopyFixture(L"songs\\a.mp3", L"\u0416\u65E5 \U0001F3B5.mp3");
  const HGLOBAL Block =
      DropBlock({Fixture(L"songs\\sub"), Playlist, Fixture(L"songs\\notes.txt"), Dir.File(L"missing"), Wide});
  PostMessageW(prog->lv->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(Block), 0);
  ASSERT_TRUE(PumpMessagesUntil([] { return AlleSongs.size() == 6; }, 20000));
  PumpMessagesFor(50);

  EXPECT_EQ(Paths(),
            (std::vector<std::wstring>{Fixture(L"songs\\sub\\deeper\\c.wav"), Fixture(L"songs\\sub\\b.ogg"),
                                       L"C:\\one.mp3", L"C:\\two.mp3", Fixture(L"songs\\notes.txt"), Wide}));
  EXPECT_EQ(AlleSongs[3][sfTitle], L"t");  // read as a playlist, although the extension is upper case
  EXPECT_EQ(DateiQuellen, TWideStrArray{Dir.Path() + L"\\"});
  EXPECT_EQ(prog->lv->Items()->Count(), 6);
  EXPECT_EQ(prog->status->Caption().rfind(L"6 Dateien geladen (", 0), 0u) << prog->status->Caption();
  EXPECT_TRUE(Shown.empty());
  EXPECT_EQ(GlobalSize(Block), 0u);  // the drop was ended, and the block with it
}

TEST_F(ProgDragDrop, ADropWhileFilteredSearchesAgainAndKeepsTheSongDisplayMode) {
  SetSongs({L"C:\\Beatles\\x.mp3"});
  prog->suchwort->SetText(L"Beatles");
  prog->SuchenClick(prog);
  SendMessageW(prog->lv->Handle(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropBlock({L"C:\\Beatles\\gone.mp3"})), 0);
  EXPECT_EQ(AlleSongs.size(), 1u);  // a missing name is taken as a folder and adds nothing
  StatusZeigtSong = true;
  const HGLOBAL Block = DropBlock({Fixture(L"songs\\a.mp3")});
  SendMessageW(prog->lv->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(Block), 0);
  EXPECT_EQ(AlleSongs.size(), 2u);
  EXPECT_TRUE(IstGefiltert);
  EXPECT_EQ(SuchErgebnis.size(), 1u);  // the new song does not match
  EXPECT_EQ(prog->lv->Items()->Count(), 1);
  EXPECT_TRUE(StatusZeigtSong);
  EXPECT_EQ(GlobalSize(Block), 0u);
}

TEST_F(ProgDragDrop, PasteReadsWholeWideNamesAndTreatsFoldersAndPlaylistsLikeADrop) {
  // A folder name that makes the full paths longer than 260 characters.
  const std::wstring Deep = Dir.File(std::wstring(120, L'd') + L"\\" + std::wstring(120, L'\u00E9'));
  MakeDir(Deep.substr(0, Deep.rfind(L'\\')));
  MakeDir(Deep);
  const std::wstring One = Deep + L"\\\u0416\u65E5.mp3", Two = Deep + L"\\b.ogg";
  ASSERT_TRUE(CopyFileW(Fixture(L"songs\\a.mp3").c_str(), One.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(Fixture(L"songs\\sub\\b.ogg").c_str(), Two.c_str(), FALSE));
  ASSERT_GT(One.size(), 260u);
  CopyFilesToClipboard(One + L'\0' + Two);
  prog->mp11Click(prog);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{One, Two}));
  EXPECT_EQ(AlleSongs[0][sfTitle], L"First");  // its tags were read under the whole name

  CopyFilesToClipboard(Fixture(L"songs\\sub") + L'\0' + LfPlaylist(L"p.vlm"));
  prog->mp11Click(prog);
  EXPECT_EQ(AlleSongs.size(), 6u);
  EXPECT_EQ(AlleSongs[5][sfPath], L"C:\\two.mp3");

  // An 8-bit list as older programs put it.
  CopyFilesToClipboardA(WideToAnsi(Fixture(L"songs\\a.mp3")) + '\0');
  prog->mp11Click(prog);
  EXPECT_EQ(AlleSongs.back()[sfPath], Fixture(L"songs\\a.mp3"));
  EXPECT_EQ(prog->lv->Items()->Count(), 7);

  PutClipboardText("no files");
  prog->mp11Click(prog);
  EXPECT_EQ(AlleSongs.size(), 7u);
}

namespace {

// The number of songs in the list each time the list is painted.
std::vector<size_t> PaintedAt;
HWND Watched = nullptr;

LRESULT CALLBACK PaintSeen(int Code, WPARAM W, LPARAM L) {
  const auto* Msg = reinterpret_cast<const MSG*>(L);
  if (Code == HC_ACTION && W == PM_REMOVE && Msg->message == WM_PAINT && Msg->hwnd == Watched)
    PaintedAt.push_back(AlleSongs.size());
  return CallNextHookEx(nullptr, Code, W, L);
}

}  // namespace

TEST_F(ProgDragDrop, APasteOfManyNamesAddsWhatNamesReadOneByOneAddAndPaintsTheListMeanwhile) {
  prog->Show();  // before any playlist is made: the first showing loads the one in the program's folder
  // Songs of every kind, each several times, names that are gone, and a folder and a playlist between them.
  std::vector<std::wstring> Files;
  for (int I = 0; I < 40; ++I) {
    Files.push_back(CopyFixture(L"songs\\a.mp3", L"a" + std::to_wstring(I) + L".mp3"));
    Files.push_back(CopyFixture(L"songs\\sub\\b.ogg", L"b" + std::to_wstring(I) + L".ogg"));
    Files.push_back(CopyFixture(L"songs\\Band - Song.mp3", L"Band - Song " + std::to_wstring(I) + L".mp3"));
    Files.push_back(CopyFixture(L"songs\\notes.txt", L"n" + std::to_wstring(I) + L".txt"));
    Files.push_back(Dir.File(L"gone" + std::to_wstring(I) + L".mp3"));
  }
  std::vector<std::wstring> Names;
  for (size_t I = 0; I < 2600; ++I) Names.push_back(Files[(I * 7) % Files.size()]);
  Names[1500] = Fixture(L"songs\\sub");
  Names[1700] = LfPlaylist(L"p.vlm");
  for (const std::wstring& Name : Names) {
    const DWORD Attributes = GetFileAttributesW(Name.c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES || (Attributes & FILE_ATTRIBUTE_DIRECTORY))
      prog->OrdnerHinzufuegen(Name);
    else if (Name.ends_with(L".vlm"))
      LoadDroppedPlaylist(Name);
    else
      prog->DateiHinzufuegen(Name, false);
  }
  const TWideSongArray OneByOne = std::exchange(AlleSongs, {});
  ASSERT_GT(OneByOne.size(), 2000u);

  std::wstring List;
  for (const std::wstring& Name : Names) List += Name + L'\0';
  List.pop_back();
  CopyFilesToClipboard(List);
  Watched = prog->lv->Handle();
  PaintedAt.clear();
  const HHOOK Hook = SetWindowsHookExW(WH_GETMESSAGE, PaintSeen, nullptr, GetCurrentThreadId());
  prog->mp11Click(prog);
  UnhookWindowsHookEx(Hook);
  EXPECT_TRUE(AlleSongs == OneByOne);
  EXPECT_TRUE(std::ranges::any_of(PaintedAt, [&](size_t N) { return N > 0 && N < OneByOne.size(); }))
      << PaintedAt.size() << " paints";
  EXPECT_EQ(prog->lv->Items()->Count(), static_cast<int>(OneByOne.size()));
}

TEST_F(ProgDragDrop, CopyingRowsPutsTheExistingFilesAsAWideList) {
  const std::wstring Existing = CopyFixture(L"songs\\a.mp3", L"\u0416.mp3");
  CopyFixture(L"songs\\a.mp3", L"rel.mp3");
  SetSongs({Existing, L"C:\\missing\\gone.mp3", L"rel.mp3", L"gone.mp3"});

  PutClipboardText("before");
  prog->p_copyfileClick(prog);  // nothing selected
  SelectRows({1});
  prog->p_copyfileClick(prog);  // one missing song
  SelectRows({3});
  prog->p_copyfileClick(prog);  // two missing songs
  EXPECT_TRUE(ClipboardFiles().empty());
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  CloseClipboard();

  SelectRows({0});
  prog->p_copyfileClick(prog);
  bool Wide = false;
  EXPECT_EQ(ClipboardFiles(&Wide), std::vector<std::wstring>{Existing});
  EXPECT_TRUE(Wide);

  prog->mp9Click(prog);
  prog->p_copyfileClick(prog);
  EXPECT_EQ(ClipboardFiles(&Wide), (std::vector<std::wstring>{Existing, Dir.File(L"rel.mp3")}));
  EXPECT_TRUE(Wide);
}

// A folder on a network share, \\server\share: Wine serves it from the prefix's dosdevices\unc.
class TShare {
 public:
  TShare() {
    wchar_t Prefix[MAX_PATH] = {};
    GetEnvironmentVariableW(L"WINEPREFIX", Prefix, MAX_PATH);
    std::wstring Unix = std::wstring(L"Z:") + Prefix + L"/dosdevices/unc";
    std::replace(Unix.begin(), Unix.end(), L'/', L'\\');
    FServer = L"velmaro" + std::to_wstring(GetCurrentProcessId());
    FLocal = Unix + L"\\" + FServer;
    for (const std::wstring& Folder : {Unix, FLocal, FLocal + L"\\share"})
      CreateDirectoryW(Folder.c_str(), nullptr);
  }
  ~TShare() {
    DeleteFileW((FLocal + L"\\share\\a.mp3").c_str());
    RemoveDirectoryW((FLocal + L"\\share").c_str());
    RemoveDirectoryW(FLocal.c_str());
  }
  TShare(const TShare&) = delete;
  TShare& operator=(const TShare&) = delete;
  // The network name of a file in the share.
  std::wstring File(const std::wstring& Name) const { return L"\\\\" + FServer + L"\\share\\" + Name; }

 private:
  std::wstring FServer;
  std::wstring FLocal;
};

TEST_F(ProgDragDrop, ASongOnANetworkShareIsCopiedByItsNetworkName) {
  const TShare Share;
  ASSERT_TRUE(CopyFileW(Fixture(L"songs\\a.mp3").c_str(), Share.File(L"a.mp3").c_str(), FALSE));
  SetSongs({Share.File(L"a.mp3")});
  SelectRows({0});
  prog->p_copyfileClick(prog);
  EXPECT_EQ(ClipboardFiles(), std::vector<std::wstring>{Share.File(L"a.mp3")});
}

TEST(ProgDragOut, AMoveOfFivePixelsInEitherDirectionStartsADrag) {
  EXPECT_FALSE(ZiehenBeginnt(10, 10, 14, 14));
  EXPECT_FALSE(ZiehenBeginnt(10, 10, 6, 6));
  EXPECT_TRUE(ZiehenBeginnt(10, 10, 15, 10));
  EXPECT_TRUE(ZiehenBeginnt(10, 10, 10, 5));
  EXPECT_TRUE(ZiehenBeginnt(10, 10, -100, 300));
}

TEST_F(ProgDragDrop, TheDropSourceAnswers) {
  IDropSource* Source = prog;
  EXPECT_EQ(Source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(Source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(Source->QueryContinueDrag(FALSE, MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(Source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
  EXPECT_EQ(Source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(Source->QueryContinueDrag(FALSE, MK_CONTROL), DRAGDROP_S_DROP);
  for (const DWORD Effect : {DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_MOVE})
    EXPECT_EQ(Source->GiveFeedback(Effect), DRAGDROP_S_USEDEFAULTCURSORS);
  void* Object = nullptr;
  EXPECT_EQ(Source->QueryInterface(IID_IDropSource, &Object), S_OK);
  EXPECT_EQ(Object, Source);
  EXPECT_EQ(Source->QueryInterface(IID_IDataObject, &Object), E_NOINTERFACE);
  EXPECT_EQ(Object, nullptr);
}

TEST(ProgDragOut, TheFolderThatHoldsAllFiles) {
  EXPECT_EQ(GemeinsamerOrdner({L"C:\\m\\a.mp3", L"C:\\m\\b.mp3"}), L"C:\\m\\");
  EXPECT_EQ(GemeinsamerOrdner({L"C:\\m\\x\\a.mp3", L"c:\\M\\y\\b.mp3", L"C:\\m\\z.mp3"}), L"C:\\m\\");
  EXPECT_EQ(GemeinsamerOrdner({L"C:\\music\\a.mp3", L"C:\\mus\\b.mp3"}), L"C:\\");
  EXPECT_EQ(GemeinsamerOrdner({L"C:\\a.mp3", L"D:\\a.mp3"}), L"");
  EXPECT_EQ(GemeinsamerOrdner({L"\\\\server\\share\\a.mp3", L"\\\\other\\share\\a.mp3"}), L"");
  EXPECT_EQ(GemeinsamerOrdner({}), L"");
}

TEST_F(ProgDragDrop, TheDataObjectNamesTheFiles) {
  const std::wstring A = CopyFixture(L"songs\\a.mp3", L"a b.mp3"),
                     B = CopyFixture(L"songs\\a.mp3", L"\u0416.mp3");
  EXPECT_FALSE(GetFileListDataObject(L"", {}));
  const std::vector<std::wstring> Files{A, B};
  const TComPtr<IDataObject> Data = GetFileListDataObject(GemeinsamerOrdner(Files), Files);
  ASSERT_TRUE(Data);
  FORMATETC Format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM Medium{};
  ASSERT_EQ(Data->GetData(&Format, &Medium), S_OK);
  EXPECT_EQ(DroppedNames(static_cast<HDROP>(Medium.hGlobal)), Files);
  ReleaseStgMedium(&Medium);

  EXPECT_THROW(GetFileListDataObject(Dir.Path() + L"\\", {Dir.File(L"gone.mp3")}), EOleSysError);
}

// Drops of a drag out, on a window that covers the screen.
class TDropTarget : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    *Object = IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IDropTarget) ? this : nullptr;
    return *Object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* Effect) override {
    *Effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* Effect) override {
    *Effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* Data, DWORD, POINTL, DWORD* Effect) override {
    *Effect = DROPEFFECT_COPY;
    ++Drops;
    FORMATETC Format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM Medium{};
    if (Data->GetData(&Format, &Medium) == S_OK) {
      Files = DroppedNames(static_cast<HDROP>(Medium.hGlobal));
      ReleaseStgMedium(&Medium);
    }
    return S_OK;
  }
  int Drops = 0;
  std::vector<std::wstring> Files;
};

TEST_F(ProgDragDrop, AMoveOfFivePixelsWithTheButtonHeldDragsTheSelectedFilesOut) {
  const std::wstring A = CopyFixture(L"songs\\a.mp3", L"a.mp3"),
                     B = CopyFixture(L"songs\\a.mp3", L"\u0416.mp3");
  SetSongs({A, L"C:\\missing\\gone.mp3", B});
  prog->mp9Click(prog);
  // A window of its own class: a static control is transparent to the search for the window under the mouse.
  WNDCLASSW Class{};
  Class.lpfnWndProc = DefWindowProcW;
  Class.hInstance = GetModuleHandleW(nullptr);
  Class.lpszClassName = L"VelmaroDropTarget";
  RegisterClassW(&Class);
  const HWND Target = CreateWindowExW(WS_EX_TOPMOST, Class.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                      nullptr, nullptr, nullptr);
  TDropTarget Drops;
  ASSERT_EQ(RegisterDragDrop(Target, &Drops), S_OK);
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);

  prog->lvMouseDown(prog->lv, mbLeft, 0, 20, 20);
  prog->lvMouseMove(prog->lv, ssLeft, 24, 16);        // 4 pixels: no drag yet
  prog->lvMouseMove(prog->lv, 0, 40, 40);             // no button held
  prog->lvMouseDown(prog->lv, mbRight, 0, 100, 100);  // only a left press counts
  EXPECT_EQ(Drops.Drops, 0);
  // The drag loop asks the real buttons, and none is down here: the files drop at once.
  prog->lvMouseMove(prog->lv, ssLeft, 20, 25);
  EXPECT_EQ(Drops.Drops, 1);
  EXPECT_EQ(Drops.Files, (std::vector<std::wstring>{A, B}));

  RevokeDragDrop(Target);
  DestroyWindow(Target);
}

TEST_F(ProgDragDrop, FileCommandsWithoutAFileOrAPlayerDoNothing) {
  SetSongs({L"C:\\missing\\gone.mp3"});
  PutClipboardText("kept");
  prog->p5Click(prog);  // nothing selected
  prog->p6Click(prog);
  SelectRows({0});
  AktIndex = 5;
  prog->p5Click(prog);  // a missing file
  prog->p6Click(prog);
  EXPECT_EQ(AktIndex, 0);
  prog->akp2Click(prog);
  prog->akp3Click(prog);
  prog->akp4Click(prog);
  EXPECT_TRUE(ClipboardFiles().empty());
  EXPECT_THROW(prog->akpopupPopup(prog->akpopup), EAbort);  // the menu does not open without a song
}

TEST_F(ProgDragDrop, TheLowerPanelMenuCopiesTheSongsFileByItsWideName) {
  const std::wstring Song = CopyFixture(L"songs\\a.mp3", L"\u0416\u65E5 a.mp3");
  prog->CreatePlayer(Song);                            // loaded, not playing
  EXPECT_NO_THROW(prog->akpopupPopup(prog->akpopup));  // with a song the menu opens
  prog->akp4Click(prog);
  bool Wide = false;
  EXPECT_EQ(ClipboardFiles(&Wide), std::vector<std::wstring>{Song});
  EXPECT_TRUE(Wide);

  // Wine's shell shows no properties of a file: the user is told so, in the program's language.
  std::string Said;
  AnswerNextDialog("", [&](HWND Box) { Said = DialogText(Box); });
  prog->akp2Click(prog);
  EXPECT_NE(Said.find("kann das System nicht anzeigen"), std::string::npos) << Said;
  prog->English1Click(nullptr);
  SetSongs({Song});
  SelectRows({0});
  Said.clear();
  AnswerNextDialog("", [&](HWND Box) { Said = DialogText(Box); });
  prog->p6Click(prog);
  EXPECT_NE(Said.find("The system cannot show the properties"), std::string::npos) << Said;

  prog->FreePlayer();
  PutClipboardText("kept");
  prog->akp4Click(prog);
  EXPECT_TRUE(ClipboardFiles().empty());
}

TEST(ProgShell, TheFolderIsOpenedWithTheFileSelectedAndQuoted) {
  EXPECT_EQ(ExplorerAuswahl(L"C:\\a,b\\x, y.mp3"), L"/select,\"C:\\a,b\\x, y.mp3\"");
}

TEST_F(ProgDragDrop, MenusAndShortcuts) {
  EXPECT_EQ(prog->mp10->ShortCut(), TextToShortCut("Ctrl+C"));
  EXPECT_EQ(prog->p_copyfile->ShortCut(), TextToShortCut("Ctrl+C"));
  EXPECT_EQ(prog->mp11->ShortCut(), TextToShortCut("Ctrl+V"));
  EXPECT_EQ(prog->p5->ShortCut(), TextToShortCut("Ctrl+Q"));
  EXPECT_EQ(prog->p5->Caption(), L"\u00DCbergeordneten Ordner \u00F6ffnen");
  EXPECT_EQ(prog->akpopup->Items()->Items(3)->Name(), "akp4");
  EXPECT_EQ(GetWindowLongW(prog->lv->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);
}

}  // namespace
