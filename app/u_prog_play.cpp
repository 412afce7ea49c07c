// The player window's playback: starting a song, the end of a song, the buttons and media keys, the
// position bar and the song shown in the title and status line.
#include "app/u_prog.h"
#include "app/u_prog_intern.h"

#include <windowsx.h>

#include <cmath>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "app/u_fehler.h"
#include "app/u_funktionen.h"
#include "app/u_start.h"
#include "audio/MP3funk.h"

namespace {

std::wstring OderFragezeichen(const std::wstring& S) {
  return S.empty() ? L"??" : S;
}

// The lines the error log gives a song that could not be played.
std::vector<std::wstring> AbspielGruende(std::exception_ptr Fehler) {
  try {
    std::rethrow_exception(Fehler);
  } catch (const std::exception& E) {
    return {Deutsch() ? L"  Datei kann nicht abgespielt werden. Fehlercode: "
                      : L"  File can not be played. Error Code: ",
            L"  " + AnsiToWide(E.what(), CP_UTF8)};
  } catch (...) {
    return {Deutsch() ? L"  Datei kann nicht abgespielt werden. Unbekannter Fehler."
                      : L"  File can not be played. Unknown Error."};
  }
}

}  // namespace

void Tprog::FehlerMelden(const std::wstring& StoredPath, const std::vector<std::wstring>& Gruende) {
  TUCodeStrings* Lines = fehler->Memo1->Lines();
  Lines->Add(L"\"" + StoredPath + L"\"");
  for (const std::wstring& Grund : Gruende) Lines->Add(Grund);
  Lines->Add(Deutsch() ? L"> N\u00E4chste Datei wird geladen..." : L"> Try to load next file...");
}

void Tprog::NachFehlerWeiter(const std::wstring& StoredPath, const std::vector<std::wstring>& Gruende) {
  ++FehlerZaehler;
  FehlerMelden(StoredPath, Gruende);
  WiedergabeAnzeigen();
  if (FehlerZaehler < MaxFehlerInFolge)
    weiterClick(this);
  else
    fehler->Memo1->Lines()->Add(Deutsch() ? L"> Automatischer Abbruch." : L"> Automatic Abord.");
}

// After a failed start: playing only while a player really runs.
void Tprog::WiedergabeAnzeigen() {
  SpieltGerade = Player && Player->State == 2;
  BtPlay->SetCaption(SpieltGerade ? L"X" : L">");
}

void Tprog::DateiAbspielen(const std::wstring& StoredPath, int Quelle) {
  PositionKorrigieren = true;
  const std::wstring Resolved = DateiFinden(StoredPath, ProgrammOrdner(), DateiQuellen, Quelle);
  AktuellerPfad = StoredPath;
  if (!WideFileExists(Resolved)) {
    NachFehlerWeiter(StoredPath, {Deutsch() ? L"  Datei existiert nicht." : L"  File does not exist."});
    return;
  }
  std::vector<std::wstring> Gruende;
  try {
    AktuelleDatei = Resolved;
    status->SetHint(Resolved);
    Timer1->SetEnabled(true);
    FreePlayer();
    CreatePlayer(Resolved);
    ShowDuration();
    Player->Play();
    SpieltGerade = true;
    BtPlay->SetCaption(L"X");
    FehlerZaehler = 0;
    SongAnzeige();
    LetztenSongMerken({status->Caption(), Resolved});
    StatusZeigtSong = true;
    return;
  } catch (...) {
    Gruende = AbspielGruende(std::current_exception());
  }
  NachFehlerWeiter(StoredPath, Gruende);
}

void Tprog::SongEnde(TMessage& Message) {
  // A notice of a player replaced meanwhile (the user started another song) is void.
  if (!Player || Message.WParam != PlayerNummer) return;
  if (EndeFehler.empty()) {
    // Nothing follows when nothing is queued and the view is empty: the window shows the stop.
    if (NaechsterTitel.empty() && AngezeigteSongs().empty())
      mw2Click(this);
    else
      weiterClick(this);
    return;
  }
  const std::string Meldung = EndeFehler;
  EndeFehler.clear();
  NachFehlerWeiter(AktuellerPfad, {Deutsch() ? L"  Datei kann nicht abgespielt werden. Fehlercode: "
                                             : L"  File can not be played. Error Code: ",
                                   L"  " + AnsiToWide(Meldung, CP_UTF8)});
}

void Tprog::ZeileAbspielen(int Row) {
  const Song& S = AngezeigteSongs()[Row];
  DateiAbspielen(S[sfPath], S.Quelle);
}

void Tprog::weiterClick(TObject* /*Sender*/) {
  if (!NaechsterTitel.empty()) {
    const std::wstring Titel = NaechsterTitel;
    NaechsterTitel.clear();
    DateiAbspielen(Titel);
    return;
  }
  const int Rows = static_cast<int>(AngezeigteSongs().size());
  if (Rows == 0) return;
  if (zufall->Checked()) {
    AktIndex = rand() % Rows;
  } else {
    ++AktIndex;
    if (AktIndex > Rows - 1 || AktIndex < 0) AktIndex = 0;
  }
  ZeileAbspielen(AktIndex);
}

void Tprog::zurueckClick(TObject* /*Sender*/) {
  if (LetzteSongs.empty()) return;
  const std::wstring Resolved = DateiFinden(LetzteSongs.back().Pfad);
  if (!WideFileExists(Resolved)) return;
  if (Player) NaechsterTitel = AktuelleDatei;
  Timer1->SetEnabled(true);
  FreePlayer();
  try {
    CreatePlayer(Resolved);
    ShowDuration();
    Player->Play();
  } catch (...) {
    // As for the next song: the error log tells and the song is passed over; the one that played before,
    // queued above, follows from its beginning.
    FreePlayer();
    const std::wstring Pfad = LetzteSongs.back().Pfad;
    LetzteSongs.pop_back();
    LetzteSongsZeigen();
    NachFehlerWeiter(Pfad, AbspielGruende(std::current_exception()));
    return;
  }
  SongAnzeige();
  SpieltGerade = true;
  BtPlay->SetCaption(L"X");
  LetzteSongs.pop_back();
  LetzteSongsZeigen();
}

void Tprog::mw1Click(TObject* /*Sender*/) {
  if (Player) {
    Player->Play();
    SpieltGerade = true;
    Timer1->SetEnabled(true);
  } else if (!AngezeigteSongs().empty() && WideFileExists(AngezeigteSongs()[0][sfPath])) {
    ZeileAbspielen(0);
  }
  BtPlay->SetCaption(SpieltGerade ? L"X" : L">");
}

void Tprog::mw2Click(TObject* /*Sender*/) {
  if (Player) Player->Pause();
  SpieltGerade = false;
  BtPlay->SetCaption(L">");
  Timer1->SetEnabled(false);
}

void Tprog::BtPlayClick(TObject* /*Sender*/) {
  if (SpieltGerade && Player) {
    Player->Pause();
    SpieltGerade = false;
    Timer1->SetEnabled(false);
  } else if (Player) {
    Player->Play();
    SpieltGerade = true;
    Timer1->SetEnabled(true);
  } else if (!AngezeigteSongs().empty()) {
    ZeileAbspielen(0);
  }
  BtPlay->SetCaption(SpieltGerade ? L"X" : L">");
}

void Tprog::WiederholenClick(TObject* /*Sender*/) {
  Wiederholen->SetChecked(!Wiederholen->Checked());
  if (Player) Player->Repeat = Wiederholen->Checked();
}

void Tprog::zufallClick(TObject* /*Sender*/) {
  zufall->SetChecked(!zufall->Checked());
}

void Tprog::WMAppCommand(TMessage& Message) {
  Message.Result = 1;
  switch (Message.LParam) {
    case 0xB0000:
      weiterClick(this);
      break;
    case 0xC0000:
      zurueckClick(this);
      break;
    case 0xD0000:
      mw2Click(this);
      break;
    case 0xE0000:
      BtPlayClick(this);
      break;
    default:
      Message.Result = 0;
  }
}

void Tprog::FreePlayer() {
  if (!Player) return;
  delete Player;
  Player = nullptr;
  KannSuchen = false;
}

void Tprog::CreatePlayer(const std::wstring& ResolvedPath) {
  FreePlayer();
  Player = new TcbAudioPlay(this, ResolvedPath, 0);
  ++PlayerNummer;
  GUID Format;
  Player->GetTimeFormat(Format);
  MediaZeitformat = IsEqualGUID(Format, TIME_FORMAT_MEDIA_TIME);
  KannSuchen = (Player->Capabilities & AM_SEEKING_CanSeekAbsolute) != 0;
  Player->Repeat = Wiederholen->Checked();
}

void Tprog::ShowDuration() {
  lblDuration->SetCaption(AnsiToWide(PositionText(Player ? Player->Duration : 0)));
  UpdatePosition();
}

std::string Tprog::PositionText(int64_t Position) const {
  if (!MediaZeitformat) return std::to_string(Position);
  const int64_t Ms = (Position + 5000) / 10000;
  char Text[32];
  snprintf(Text, sizeof(Text), "%02d:%02d:%02d:%03d", static_cast<int>(Ms / 3600000 % 24),
           static_cast<int>(Ms / 60000 % 60), static_cast<int>(Ms / 1000 % 60), static_cast<int>(Ms % 1000));
  return Text;
}

void Tprog::UpdatePosition() {
  const bool Vorher = PositionWirdGesetzt;
  PositionWirdGesetzt = true;
  if (!Player) {
    stelle->SetPosition(0);
    lblPosition->SetCaption(AnsiToWide(PositionText(0)));
  } else {
    int64_t Position = Player->GetPosition();
    if (PositionKorrigieren && Position > 10000000) {
      Position = Player->GetPosition();
      Player->SetPosition(Position, AM_SEEKING_AbsolutePositioning);
      PositionKorrigieren = false;
    }
    if ((Player->Capabilities & AM_SEEKING_CanGetDuration) && Player->Duration > 0)
      stelle->SetPosition(static_cast<int>(static_cast<double>(Position * 1000) / Player->Duration));
    lblPosition->SetCaption(AnsiToWide(PositionText(Position)));
  }
  PositionWirdGesetzt = Vorher;
}

void Tprog::Timer1Timer(TObject* /*Sender*/) {
  if (Player && Player->Duration != 0) UpdatePosition();
}

void Tprog::stelleChange(TObject* /*Sender*/) {
  if (!PositionWirdGesetzt && KannSuchen && Player)
    Player->SetPosition(
        static_cast<int64_t>(static_cast<double>(int64_t{stelle->Position()} * Player->Duration) / 1000),
        AM_SEEKING_AbsolutePositioning);
  UpdatePosition();
}

// A press beside the thumb moves the thumb there instead of paging.
void Tprog::StelleLButtonDown(TMessage& Message, const TWndMethod& Standard) {
  const HWND Bar = stelle->Handle();
  RECT Thumb, Channel;
  SendMessageA(Bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
  SendMessageA(Bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&Channel));
  const POINT Click{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  POINT P = Click;
  int H;
  if (stelle->Orientation() == trHorizontal) {
    H = (Thumb.right - Thumb.left) / 2;
    Channel.top = Thumb.top;
    Channel.bottom = Thumb.bottom;
  } else {
    P = {Click.y, Click.x};
    H = (Thumb.bottom - Thumb.top) / 2;
    Channel.top = Thumb.left;
    Channel.bottom = Thumb.right;
  }
  if (PtInRect(&Thumb, Click)) {
    Standard(Message);
    return;
  }
  if (!PtInRect(&Channel, P)) return;
  Channel.left += H;
  Channel.right -= H;
  if (Channel.right <= Channel.left) return;
  stelle->SetPosition(static_cast<int>(
      std::lround(static_cast<double>(P.x - Channel.left) * stelle->Max() / (Channel.right - Channel.left))));
}

void Tprog::SongAnzeige() {
  if (!Player) return;
  TAudioInfo Info;
  Info.ReadFromFile(Player->FileName);
  std::wstring Artist = Info.Artist, Title = Info.Title;
  const std::wstring Album = OderFragezeichen(Info.Album), Genre = OderFragezeichen(Info.Genre),
                     Track = OderFragezeichen(Info.Track);
  InterpretAusTitel(Artist, Title);
  Artist = OderFragezeichen(Artist);
  Title = OderFragezeichen(Title);
  std::wstring Text;
  if (saat->Checked()) Text = Artist + L" - " + Title;
  if (saata->Checked()) Text = Artist + L" - " + Title + L" (" + Album + L")";
  if (saatta->Checked()) Text = Artist + L" - " + Title + L" (" + Album + L", " + Track + L")";
  if (saatg->Checked()) Text = Artist + L" - " + Title + L" (" + Genre + L")";
  if (saf->Checked()) Text = AktuelleDatei.substr(AktuelleDatei.find_last_of(L"\\:") + 1);
  if (sastatus->Checked()) status->SetCaption(Text);
  if (saheader->Checked()) TitelSetzen(Text + L" - Korriband Velmaro");
}

void Tprog::TitelSetzen(const std::wstring& Text) {
  SetWideFormCaption(this, Text.empty() ? ProgrammTitel : Text);
  UCodeApplication()->SetTitle(Text.empty() ? AnwendungsTitel : Text);
}

void Tprog::saatClick(TObject* Sender) {
  for (const auto& [Modus, Wert] : SongAnzeigeModi()) Modus->SetChecked(false);
  if (auto* Item = dynamic_cast<TMenuItem*>(Sender)) Item->SetChecked(true);
  // The status line shows the new form at once: a click must not toggle it to the totals.
  StatusAuffrischen();
}

void Tprog::saheaderClick(TObject* /*Sender*/) {
  saheader->SetChecked(!saheader->Checked());
  if (!saheader->Checked()) TitelSetzen(L"");
  SongAnzeige();
}

void Tprog::sastatusClick(TObject* /*Sender*/) {
  sastatus->SetChecked(!sastatus->Checked());
  SongAnzeige();
}
