object prog: Tprog
  Tag = 1
  Caption = 'Velmaro - Korriband'
  ClientWidth = 878
  ClientHeight = 611
  Position = poDesktopCenter
  Menu = MainMenu1
  OnCreate = FormCreate
  OnShow = FormShow
  OnActivate = FormActivate
  OnCloseQuery = FormCloseQuery
  OnClose = FormClose
  OnDestroy = FormDestroy
  object pa_suche: TPanel
    Left = 0
    Top = 0
    Width = 878
    Height = 41
    Align = alTop
    Visible = False
    object Alle: TButton
      Left = 784
      Top = 8
      Width = 85
      Height = 25
      Caption = 'Alle'
      OnClick = AlleClick
    end
  end
  object pa_unten: TPanel
    Left = 0
    Top = 531
    Width = 878
    Height = 80
    Align = alBottom
    object lblPosition: TLabel
      Left = 640
      Top = 8
      Caption = '00:00:00:000'
    end
    object Label1: TLabel
      Left = 750
      Top = 8
      Caption = '/'
    end
    object lblDuration: TLabel
      Left = 770
      Top = 8
      Caption = '00:00:00:000'
    end
    object status: TLabel
      Left = 8
      Top = 58
      Width = 860
      Height = 16
      AutoSize = False
      Cursor = crHandPoint
      Caption = 'Keine Dateien geladen'
      ShowHint = True
      OnClick = statusClick
    end
    object zurueck: TButton
      Left = 8
      Top = 26
      Width = 40
      Height = 27
      Caption = '<<'
      OnClick = zurueckClick
    end
    object BtPlay: TButton
      Left = 52
      Top = 26
      Width = 40
      Height = 27
      Caption = '>'
      OnClick = BtPlayClick
    end
    object weiter: TButton
      Left = 96
      Top = 26
      Width = 40
      Height = 27
      Caption = '>>'
      OnClick = weiterClick
    end
    object stelle: TTrackBar
      Left = 144
      Top = 26
      Width = 726
      Height = 28
      Max = 1000
      Frequency = 50
      OnChange = stelleChange
    end
  end
  object lv: TListView
    Left = 0
    Top = 0
    Width = 878
    Height = 531
    Align = alClient
    ViewStyle = vsReport
    OwnerData = True
    RowSelect = True
    MultiSelect = True
    ReadOnly = True
    HideSelection = False
    PopupMenu = popup
    OnData = lvData
    OnDblClick = lvDblClick
    OnKeyPress = lvKeyPress
    OnColumnClick = lvColumnClick
    Columns = <
      item
        Caption = 'Nummer'
        Width = 65
      end
      item
        Caption = 'Interpret'
        Width = 130
      end
      item
        Caption = 'Titel'
        Width = 160
      end
      item
        Caption = 'L'#228'nge'
        Alignment = taRightJustify
      end
      item
        Caption = 'Album'
        Width = 145
      end
      item
        Caption = 'Track'
        Alignment = taRightJustify
        Width = 45
      end
      item
        Caption = 'Jahr'
      end
      item
        Caption = 'Genre'
        Width = 70
      end
      item
        Caption = 'Dateipfad'
        Width = 125
      end>
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 250
    OnTimer = Timer1Timer
  end
  object open_audio_files: TOpenDialog
    Filter = 'Audio (*.mp3,*.wav,*.ogg,*.wma)|*.mp3;*.wav;*.ogg;*.wma|Audio (*.mp3)|*.mp3|Audio (*.wav)|*.wav|Audio (*.ogg)|*.ogg|Audio (*.wma)|*.wma|Alle Dateien (*.*)|*.*'
    Options = [ofHideReadOnly, ofAllowMultiSelect, ofFileMustExist]
  end
  object MainMenu1: TMainMenu
    object m_datei: TMenuItem
      Caption = '&Datei'
      object m_opendatei: TMenuItem
        Caption = 'Dateien '#246'ffnen...'
        ShortCut = 16463
        OnClick = m_opendateiClick
      end
      object mp8: TMenuItem
        Caption = 'Markierten Titel L'#246'schen'
        ShortCut = 46
        OnClick = p4Click
      end
      object mp9: TMenuItem
        Caption = 'Alle Songs markieren'
        ShortCut = 16449
        OnClick = mp9Click
      end
      object mp7: TMenuItem
        Caption = 'Playlist L'#246'schen'
        ShortCut = 16430
        OnClick = mp7Click
      end
      object mp5: TMenuItem
        Caption = 'Alle Dateien zeigen'
        OnClick = mp5Click
      end
      object mp6: TMenuItem
        Caption = 'Alle Dateien verbergen'
        OnClick = mp6Click
      end
    end
    object m_wiedergabe: TMenuItem
      Caption = '&Wiedergabe'
      object mw1: TMenuItem
        Caption = 'Play'
        ShortCut = 113
        OnClick = mw1Click
      end
      object mw2: TMenuItem
        Caption = 'Stop'
        ShortCut = 114
        OnClick = mw2Click
      end
      object mw3: TMenuItem
        Caption = 'Letztes St'#252'ck'
        ShortCut = 115
        OnClick = zurueckClick
      end
      object mw4: TMenuItem
        Caption = 'N'#228'chstes St'#252'ck'
        ShortCut = 116
        OnClick = weiterClick
      end
      object Wiederholen: TMenuItem
        Caption = 'Wiederholen'
        OnClick = WiederholenClick
      end
      object zufall: TMenuItem
        Caption = 'Zuf'#228'llige Reihenfolge'
        Checked = True
        OnClick = zufallClick
      end
    end
    object m_anzeige: TMenuItem
      Caption = '&Anzeige'
      object saat: TMenuItem
        Caption = 'Interpret - Titel'
        Checked = True
        RadioItem = True
        GroupIndex = 1
        AutoCheck = True
      end
      object saata: TMenuItem
        Caption = 'Interpret - Titel (Album)'
        RadioItem = True
        GroupIndex = 1
        AutoCheck = True
      end
      object saatta: TMenuItem
        Caption = 'Interpret - Titel (Album, Track)'
        RadioItem = True
        GroupIndex = 1
        AutoCheck = True
      end
      object saatg: TMenuItem
        Caption = 'Interpret - Titel (Genre)'
        RadioItem = True
        GroupIndex = 1
        AutoCheck = True
      end
      object saf: TMenuItem
        Caption = 'Dateiname'
        RadioItem = True
        GroupIndex = 1
        AutoCheck = True
      end
      object saheader: TMenuItem
        Caption = 'Im Fenstertitel anzeigen'
        Checked = True
        AutoCheck = True
      end
      object sastatus: TMenuItem
        Caption = 'In der Statuszeile anzeigen'
        Checked = True
        AutoCheck = True
      end
    end
    object m_einstellungen: TMenuItem
      Caption = '&Einstellungen'
      object einstautoload: TMenuItem
        Caption = 'Einstellungen beim Start laden'
        Checked = True
        AutoCheck = True
      end
      object einstautosave: TMenuItem
        Caption = 'Einstellungen beim Beenden speichern'
        AutoCheck = True
      end
    end
  end
  object popup: TPopupMenu
    OnPopup = popupPopup
    object p1: TMenuItem
      Caption = 'Titel abspielen'
      OnClick = p1Click
    end
    object pop_title_next: TMenuItem
      Caption = 'Als n'#228'chsten Titel abspielen'
      OnClick = pop_title_nextClick
    end
    object p4: TMenuItem
      Caption = 'Song aus Playlist l'#246'schen'
      ShortCut = 46
      OnClick = p4Click
    end
    object p_alle: TMenuItem
      Caption = 'Alle Songs markieren'
      OnClick = mp9Click
    end
  end
end
