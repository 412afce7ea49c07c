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
    object suchwort: TEdit
      Left = 8
      Top = 9
      Width = 400
      Height = 23
      OnKeyPress = suchwortKeyPress
    end
    object Suchen: TButton
      Left = 416
      Top = 8
      Width = 85
      Height = 25
      Caption = 'Suchen'
      Hint = 'Nach diesem Begriff Suchen'
      ShowHint = True
      OnClick = SuchenClick
    end
    object Opt: TButton
      Left = 508
      Top = 8
      Width = 85
      Height = 25
      Caption = 'Optionen'
      Hint = 'Suchoptionen Anzeigen'
      ShowHint = True
      OnClick = suchoptpanelClick
    end
    object regexsuche: TCheckBox
      Left = 604
      Top = 12
      Width = 80
      Height = 17
      Caption = 'RegEx'
      OnClick = regexsucheClick
    end
    object Alle: TButton
      Left = 784
      Top = 8
      Width = 85
      Height = 25
      Caption = 'Alle Zeigen'
      Hint = 'Alle Titel der Playlist Zeigen'
      ShowHint = True
      OnClick = AlleClick
    end
  end
  object pa_suchopt: TPanel
    Left = 0
    Top = 41
    Width = 170
    Height = 490
    Align = alLeft
    Visible = False
    object sp_gb1: TGroupBox
      Left = 4
      Top = 4
      Width = 162
      Height = 238
      Caption = 'Suche: Spalten'
      object s_interpret: TCheckBox
        Left = 10
        Top = 18
        Width = 140
        Height = 17
        Caption = 'Interpret'
        Checked = True
        OnClick = AkPanel
      end
      object s_titel: TCheckBox
        Left = 10
        Top = 36
        Width = 140
        Height = 17
        Caption = 'Titel'
        Checked = True
        OnClick = AkPanel
      end
      object s_laenge: TCheckBox
        Left = 10
        Top = 54
        Width = 140
        Height = 17
        Caption = 'L'#228'nge'
        OnClick = AkPanel
      end
      object s_album: TCheckBox
        Left = 10
        Top = 72
        Width = 140
        Height = 17
        Caption = 'Album'
        Checked = True
        OnClick = AkPanel
      end
      object s_track: TCheckBox
        Left = 10
        Top = 90
        Width = 140
        Height = 17
        Caption = 'Track'
        OnClick = AkPanel
      end
      object s_jahr: TCheckBox
        Left = 10
        Top = 108
        Width = 140
        Height = 17
        Caption = 'Jahr'
        OnClick = AkPanel
      end
      object s_genre: TCheckBox
        Left = 10
        Top = 126
        Width = 140
        Height = 17
        Caption = 'Genre'
        OnClick = AkPanel
      end
      object s_datei: TCheckBox
        Left = 10
        Top = 144
        Width = 140
        Height = 17
        Caption = 'Pfad'
        OnClick = AkPanel
      end
      object sp_rballes: TRadioButton
        Left = 10
        Top = 168
        Width = 140
        Height = 17
        Caption = 'Alle Spalten'
        OnClick = sp_rballesClick
      end
      object sp_rbnix: TRadioButton
        Left = 10
        Top = 190
        Width = 140
        Height = 17
        Caption = 'Keine Spalte'
        OnClick = sp_rbnixClick
      end
      object sp_rbstandard: TRadioButton
        Left = 10
        Top = 212
        Width = 140
        Height = 17
        Caption = 'Standard'
        Checked = True
        OnClick = sp_rbstandardClick
      end
    end
    object sp_gb2: TGroupBox
      Left = 4
      Top = 248
      Width = 162
      Height = 150
      Caption = 'Suche: Kriterien'
      object s_grkl: TCheckBox
        Left = 10
        Top = 18
        Width = 140
        Height = 17
        Caption = 'Gro'#223' und Klein'
        Hint = 'Gro'#223'- und Kleinbuchstaben werden unterschieden'
        ShowHint = True
        OnClick = AkPanel
      end
      object s_strexakt: TCheckBox
        Left = 10
        Top = 39
        Width = 140
        Height = 17
        Caption = 'Exakter Begriff'
        OnClick = AkPanel
      end
      object s_invers: TCheckBox
        Left = 10
        Top = 60
        Width = 140
        Height = 17
        Caption = 'Inverse Suche'
        OnClick = AkPanel
      end
      object s_ganz: TRadioButton
        Left = 10
        Top = 81
        Width = 140
        Height = 17
        Caption = 'Ganzes Wort'
        Checked = True
        OnClick = AkPanel
      end
      object s_und: TRadioButton
        Left = 10
        Top = 102
        Width = 140
        Height = 17
        Caption = 'UND-Suche'
        Hint = 'Alle W'#246'rter m'#252'ssen vorkommen'
        ShowHint = True
        OnClick = AkPanel
      end
      object s_oder: TRadioButton
        Left = 10
        Top = 123
        Width = 140
        Height = 17
        Caption = 'ODER-Suche'
        Hint = 'Eines der W'#246'rter muss vorkommen'
        ShowHint = True
        OnClick = AkPanel
      end
    end
  end
  object pa_unten: TPanel
    Left = 0
    Top = 531
    Width = 878
    Height = 80
    Align = alBottom
    PopupMenu = akpopup
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
      PopupMenu = akpopup
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
      PopupMenu = akpopup
      Left = 8
      Top = 26
      Width = 40
      Height = 27
      Caption = '<<'
      OnClick = zurueckClick
    end
    object BtPlay: TButton
      PopupMenu = akpopup
      Left = 52
      Top = 26
      Width = 40
      Height = 27
      Caption = '>'
      OnClick = BtPlayClick
    end
    object weiter: TButton
      PopupMenu = akpopup
      Left = 96
      Top = 26
      Width = 40
      Height = 27
      Caption = '>>'
      OnClick = weiterClick
    end
    object stelle: TTrackBar
      PopupMenu = akpopup
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
    OnMouseDown = lvMouseDown
    OnMouseMove = lvMouseMove
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
  object LoadList: TOpenDialog
    Filter = 'Playlist Velmaro|*.vlm'
  end
  object SaveList: TSaveDialog
    Filter = 'Playlist Velmaro|*.vlm'
  end
  object MainMenu1: TMainMenu
    object mdatei: TMenuItem
      Caption = 'Datei'
      object m_opendatei: TMenuItem
        Caption = 'Dateien '#246'ffnen...'
        OnClick = m_opendateiClick
      end
      object m_openordner: TMenuItem
        Caption = 'Ordner durchsuchen..'
        OnClick = mp4Click
      end
      object mtxtexport: TMenuItem
        Caption = 'Export als Text/HTML Tabelle..'
        OnClick = mtxtexportClick
      end
      object m_bug: TMenuItem
        Caption = 'Fehler oder Verbesserung melden..'
        OnClick = m_bugClick
      end
      object N3: TMenuItem
        Caption = '-'
      end
      object mclose: TMenuItem
        Caption = 'Beenden'
        OnClick = mcloseClick
      end
    end
    object mwiedergabe: TMenuItem
      Caption = 'Wiedergabe'
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
      object mw5: TMenuItem
        Caption = 'Letzte St'#252'cke Anzeigen..'
        ShortCut = 16460
        OnClick = mw5Click
      end
      object mw6: TMenuItem
        Caption = 'Infos '#252'ber aktuellen Song..'
        OnClick = mw6Click
      end
      object m_fehler: TMenuItem
        Caption = 'Fehlermeldungen..'
        OnClick = m_fehlerClick
      end
      object zufall: TMenuItem
        Caption = 'Zuf'#228'llige Reihenfolge'
        Checked = True
        OnClick = zufallClick
      end
    end
    object mp0: TMenuItem
      Caption = 'Playlist'
      object mp1: TMenuItem
        Caption = 'Playlist Laden'
        OnClick = mp1Click
      end
      object mp3: TMenuItem
        Caption = 'Playlist Hinzuladen'
        ShortCut = 16463
        OnClick = mp3Click
      end
      object mp2: TMenuItem
        Caption = 'Playlist Speichern'
        ShortCut = 16467
        OnClick = mp2Click
      end
      object mp4: TMenuItem
        Caption = 'Ordner Hinzuf'#252'gen'
        ShortCut = 16462
        OnClick = mp4Click
      end
      object mp9: TMenuItem
        Caption = 'Alle Songs markieren'
        ShortCut = 16449
        ShortCutControl = lv
        OnClick = mp9Click
      end
      object mp10: TMenuItem
        Caption = 'Markierte Songs in die Zwischenablage'
        ShortCut = 16451
        ShortCutControl = lv
        OnClick = p_copyfileClick
      end
      object mp11: TMenuItem
        Caption = 'Songs aus Zwischenablage einf'#252'gen'
        ShortCut = 16470
        ShortCutControl = lv
        OnClick = mp11Click
      end
      object mp5: TMenuItem
        Caption = 'Alle Dateien zeigen'
        OnClick = mp5Click
      end
      object mp6: TMenuItem
        Caption = 'Alle Dateien verbergen'
        OnClick = mp6Click
      end
      object mp7: TMenuItem
        Caption = 'Playlist L'#246'schen'
        ShortCut = 16430
        ShortCutControl = lv
        OnClick = mp7Click
      end
      object mp8: TMenuItem
        Caption = 'Markierten Titel L'#246'schen'
        ShortCut = 46
        ShortCutControl = lv
        OnClick = p4Click
      end
    end
    object Suche1: TMenuItem
      Caption = 'Suche'
      object msuche: TMenuItem
        Caption = 'Suche'
        ShortCut = 16454
        OnClick = msucheClick
      end
      object suchoptpanel: TMenuItem
        Caption = 'Suchoptionen (auf Panel)'
        OnClick = suchoptpanelClick
      end
      object Suchoptionen1: TMenuItem
        Caption = 'Suchoptionen (in neuem Fenster)'
        OnClick = Suchoptionen1Click
      end
      object m_regexsuche: TMenuItem
        Caption = 'Suchen mit Regul'#228'ren Ausdr'#252'cken (RegEx)'
        OnClick = m_regexsucheClick
      end
      object ergalsemp: TMenuItem
        Caption = 'Ergebnis als Playlist speichern'
        OnClick = ergalsempClick
      end
    end
    object Einstellungen1: TMenuItem
      Caption = 'Einstellungen'
      object sa: TMenuItem
        Caption = 'Songanzeige'
        object saat: TMenuItem
          Caption = 'Interpret - Titel'
          Checked = True
          RadioItem = True
          GroupIndex = 1
          OnClick = saatClick
        end
        object saata: TMenuItem
          Caption = 'Interpret - Titel (Album)'
          RadioItem = True
          GroupIndex = 1
          OnClick = saatClick
        end
        object saatta: TMenuItem
          Caption = 'Interpret - Titel (Album, Track)'
          RadioItem = True
          GroupIndex = 1
          OnClick = saatClick
        end
        object saatg: TMenuItem
          Caption = 'Interpret - Titel (Genre)'
          RadioItem = True
          GroupIndex = 1
          OnClick = saatClick
        end
        object saf: TMenuItem
          Caption = 'Pfad und Dateiname'
          RadioItem = True
          GroupIndex = 1
          OnClick = saatClick
        end
        object N1: TMenuItem
          Caption = '-'
        end
        object saheader: TMenuItem
          Caption = 'Anzeige im Programmtitel'
          OnClick = saheaderClick
        end
        object sastatus: TMenuItem
          Caption = 'Anzeige in der Statusbar'
          Checked = True
          OnClick = sastatusClick
        end
      end
      object Sprache1: TMenuItem
        Caption = 'Sprache'
        object Deutsch1: TMenuItem
          Caption = 'Deutsch'
          Checked = True
          OnClick = Deutsch1Click
        end
        object English1: TMenuItem
          Caption = 'English'
          OnClick = English1Click
        end
      end
      object m_einstshortcuts: TMenuItem
        Caption = 'Verkn'#252'pfungen mit Dateien und Ordnern..'
        OnClick = m_einstshortcutsClick
      end
      object verk: TMenuItem
        Caption = 'Verkn'#252'pfung von Playlisten'
        Visible = False
        object verkja: TMenuItem
          Caption = 'VLM Dateien mit diesem Programm verkn'#252'pfen'
          OnClick = verkjaClick
        end
        object verknein: TMenuItem
          Caption = 'Verkn'#252'pfung aufheben'
          OnClick = verkneinClick
        end
      end
      object m_einst_sendenan: TMenuItem
        Caption = 'Kontextmen'#252' "Senden an" im Explorer'
        Visible = False
        object m_einst_sendenan_ein: TMenuItem
          Caption = 'Diese Anwendung zum Kontextmen'#252' hinzuf'#252'gen'
          OnClick = m_einst_sendenan_einClick
        end
        object m_einst_sendenan_aus: TMenuItem
          Caption = 'Diese Anwendung vom Kontextmen'#252' entfernen'
          OnClick = m_einst_sendenan_ausClick
        end
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object so: TMenuItem
        Caption = 'Speicheroptionen..'
        OnClick = soClick
      end
      object einstsave: TMenuItem
        Caption = 'Einstellungen jetzt speichern'
        OnClick = einstsaveClick
      end
      object einstload: TMenuItem
        Caption = 'Einstellungen jetzt laden'
        OnClick = einstloadClick
      end
      object einstautosave: TMenuItem
        Caption = 'Einstellungen automatisch speichern'
        OnClick = einstautosaveClick
      end
      object einstautoload: TMenuItem
        Caption = 'Einstellungen automatisch laden'
        Checked = True
        OnClick = einstautoloadClick
      end
    end
    object m_soft_de: TMenuItem
      Caption = 'Software'
      object N4: TMenuItem
        Caption = '-'
      end
      object m_soft_de_alle: TMenuItem
        Caption = 'Kurzbeschreibung aller Programme'
        OnClick = Software1Click
      end
      object m_soft_de_web1: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object m_soft_de_web2: TMenuItem
        OnClick = BrowseToMenuCaption
      end
    end
    object m_soft_en: TMenuItem
      Caption = 'Software'
      Visible = False
      object N5: TMenuItem
        Caption = '-'
      end
      object m_soft_en_alle: TMenuItem
        Caption = 'Brief Description of the Software'
        OnClick = Software1Click
      end
      object m_soft_en_web1: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object m_soft_en_web2: TMenuItem
        OnClick = BrowseToMenuCaption
      end
    end
    object Info1: TMenuItem
      Caption = 'Hilfe und Info'
      object i1: TMenuItem
        Caption = 'Hilfe'
        ShortCut = 112
        OnClick = i1Click
      end
      object m_bug_i: TMenuItem
        Caption = 'Fehler oder Verbesserung melden..'
        OnClick = m_bug_iClick
      end
      object i2: TMenuItem
        Caption = 'Empfehlungen'
        OnClick = i2Click
      end
      object Software1: TMenuItem
        Caption = 'Software'
        OnClick = Software1Click
      end
      object i3: TMenuItem
        Caption = 'Wieso Spenden'
        OnClick = i3Click
      end
      object i4: TMenuItem
        Caption = 'Lizenz'
        OnClick = i4Click
      end
      object N6: TMenuItem
        Caption = '-'
      end
      object i5: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i6: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i11: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i9: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i7: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i10: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i8: TMenuItem
        OnClick = BrowseToMenuCaption
      end
      object i12: TMenuItem
        OnClick = BrowseToMenuCaption
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
    object p3: TMenuItem
      Caption = 'Informationen '#252'ber Datei anzeigen'
      OnClick = p3Click
    end
    object p6: TMenuItem
      Caption = 'Datei Eigenschaften'
      OnClick = p6Click
    end
    object p_copyfile: TMenuItem
      Caption = 'Datei(en) in die Zwischenablage kopieren'
      ShortCut = 16451
      OnClick = p_copyfileClick
    end
    object p5: TMenuItem
      Caption = #220'bergeordneten Ordner '#246'ffnen'
      ShortCut = 16465
      OnClick = p5Click
    end
    object p_alle: TMenuItem
      Caption = 'Alle Songs markieren'
      OnClick = mp9Click
    end
    object pss0: TMenuItem
      Caption = 'Songs von diesem Interpreten..'
      OnClick = pss0Click
    end
    object pss1: TMenuItem
      Caption = 'Songs mit diesem Titel..'
      OnClick = pss1Click
    end
    object pss2: TMenuItem
      Caption = 'Songs mit dieser L'#228'nge..'
      OnClick = pss2Click
    end
    object pss3: TMenuItem
      Caption = 'Songs von diesem Album..'
      OnClick = pss3Click
    end
    object pss4: TMenuItem
      Caption = 'Songs mit dieser Tracknummer..'
      OnClick = pss4Click
    end
    object pss5: TMenuItem
      Caption = 'Songs aus diesem Jahr..'
      OnClick = pss5Click
    end
    object pss6: TMenuItem
      Caption = 'Songs mit diesem Genre..'
      OnClick = pss6Click
    end
    object pss7: TMenuItem
      Caption = 'Songs im selben Ordner..'
      OnClick = pss7Click
    end
    object p4: TMenuItem
      Caption = 'Song aus Playlist l'#246'schen'
      ShortCut = 46
      OnClick = p4Click
    end
  end
  object akpopup: TPopupMenu
    OnPopup = akpopupPopup
    object akp1: TMenuItem
      Caption = 'Informationen '#252'ber Datei anzeigen'
      OnClick = akp1Click
    end
    object akp2: TMenuItem
      Caption = 'Datei Eigenschaften'
      OnClick = akp2Click
    end
    object akp3: TMenuItem
      Caption = #220'bergeordneten Ordner '#246'ffnen'
      OnClick = akp3Click
    end
    object akp4: TMenuItem
      Caption = 'Datei in Zwischenablage kopieren'
      OnClick = akp4Click
    end
    object akp5: TMenuItem
      Caption = 'Songs von diesem Interpreten..'
      OnClick = akp5Click
    end
    object akp6: TMenuItem
      Caption = 'Songs mit diesem Titel..'
      OnClick = akp6Click
    end
    object akp7: TMenuItem
      Caption = 'Songs mit dieser L'#228'nge..'
      OnClick = akp7Click
    end
    object akp8: TMenuItem
      Caption = 'Songs von diesem Album..'
      OnClick = akp8Click
    end
    object akp9: TMenuItem
      Caption = 'Songs mit dieser Tracknummer..'
      OnClick = akp9Click
    end
    object akp10: TMenuItem
      Caption = 'Songs aus diesem Jahr..'
      OnClick = akp10Click
    end
    object akp11: TMenuItem
      Caption = 'Songs mit diesem Genre..'
      OnClick = akp11Click
    end
    object akp12: TMenuItem
      Caption = 'Songs im selben Ordner..'
      OnClick = akp12Click
    end
  end
end
