object txtexport: Ttxtexport
  Caption = 'Export als Text/HTML Tabelle'
  ClientWidth = 637
  ClientHeight = 565
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  object pa_format: TPanel
    Height = 37
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object formstr: TComboBox
      Left = 8
      Top = 8
      Width = 621
      Height = 21
      Text = '%interpret% - %titel%'
      OnChange = AutoUpdate
      OnKeyPress = formstrKeyPress
    end
  end
  object pa_einghilfe: TPanel
    Height = 78
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object cb_einghilfe: TCheckBox
      Left = 8
      Top = 1
      Width = 200
      Height = 17
      Caption = 'Eingabehilfe'
      OnClick = cb_einghilfeClick
    end
    object Button1: TButton
      Left = 8
      Top = 22
      Width = 78
      Height = 25
      Caption = '%interpret%'
      OnClick = CaptionAdden
    end
    object Button2: TButton
      Left = 90
      Top = 22
      Width = 74
      Height = 25
      Caption = '%titel%'
      OnClick = CaptionAdden
    end
    object Button3: TButton
      Left = 168
      Top = 22
      Width = 74
      Height = 25
      Caption = '%album%'
      OnClick = CaptionAdden
    end
    object Button4: TButton
      Left = 246
      Top = 22
      Width = 74
      Height = 25
      Caption = '%l'#228'nge%'
      OnClick = CaptionAdden
    end
    object Button5: TButton
      Left = 324
      Top = 22
      Width = 74
      Height = 25
      Caption = '%track%'
      OnClick = CaptionAdden
    end
    object Button6: TButton
      Left = 402
      Top = 22
      Width = 74
      Height = 25
      Caption = '%genre%'
      OnClick = CaptionAdden
    end
    object Button7: TButton
      Left = 480
      Top = 22
      Width = 74
      Height = 25
      Caption = '%jahr%'
      OnClick = CaptionAdden
    end
    object Button8: TButton
      Left = 558
      Top = 22
      Width = 74
      Height = 25
      Caption = '%pfad%'
      OnClick = CaptionAdden
    end
    object Button10: TButton
      Left = 8
      Top = 50
      Width = 74
      Height = 25
      Caption = '%123%'
      OnClick = CaptionAdden
    end
    object Button11: TButton
      Left = 86
      Top = 50
      Width = 86
      Height = 25
      Caption = '%dateiname%'
      OnClick = CaptionAdden
    end
    object Button13: TButton
      Left = 176
      Top = 50
      Width = 74
      Height = 25
      Caption = '%tab%'
      OnClick = CaptionAdden
    end
    object edtxt: TEdit
      Left = 258
      Top = 52
      Width = 110
      Height = 21
      Text = ' - '
    end
    object Button9: TButton
      Left = 374
      Top = 50
      Width = 120
      Height = 25
      Caption = 'Text Hinzuf'#252'gen'
      OnClick = Button9Click
    end
    object Button12: TButton
      Left = 502
      Top = 50
      Width = 127
      Height = 25
      Caption = 'Alles L'#246'schen'
      OnClick = Button12Click
    end
  end
  object pa_filter: TPanel
    Height = 107
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object cb_filter: TCheckBox
      Left = 8
      Top = 1
      Width = 200
      Height = 17
      Caption = 'Filter verwenden'
      OnClick = cb_filterClick
    end
    object Label3: TLabel
      Left = 8
      Top = 26
      Caption = 'Suche nach:'
    end
    object sw: TEdit
      Left = 100
      Top = 22
      Width = 529
      Height = 21
      Text = ''
      OnChange = AutoUpdate
    end
    object s_interpret: TCheckBox
      Left = 8
      Top = 48
      Width = 150
      Height = 17
      Caption = 'Interpret'
      Checked = True
      OnClick = AutoUpdate
    end
    object s_titel: TCheckBox
      Left = 164
      Top = 48
      Width = 150
      Height = 17
      Caption = 'Titel'
      Checked = True
      OnClick = AutoUpdate
    end
    object s_laenge: TCheckBox
      Left = 320
      Top = 48
      Width = 150
      Height = 17
      Caption = 'L'#228'nge'
      OnClick = AutoUpdate
    end
    object s_album: TCheckBox
      Left = 476
      Top = 48
      Width = 150
      Height = 17
      Caption = 'Album'
      Checked = True
      OnClick = AutoUpdate
    end
    object s_track: TCheckBox
      Left = 8
      Top = 67
      Width = 150
      Height = 17
      Caption = 'Track'
      OnClick = AutoUpdate
    end
    object s_jahr: TCheckBox
      Left = 164
      Top = 67
      Width = 150
      Height = 17
      Caption = 'Jahr'
      OnClick = AutoUpdate
    end
    object s_genre: TCheckBox
      Left = 320
      Top = 67
      Width = 150
      Height = 17
      Caption = 'Genre'
      OnClick = AutoUpdate
    end
    object s_datei: TCheckBox
      Left = 476
      Top = 67
      Width = 150
      Height = 17
      Caption = 'Pfad'
      OnClick = AutoUpdate
    end
    object rb_alle: TCheckBox
      Left = 8
      Top = 86
      Width = 300
      Height = 17
      Caption = 'Alle/Keine Markieren'
      OnClick = rb_alleClick
    end
  end
  object pa_suchen: TPanel
    Height = 56
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object cb_suchen: TCheckBox
      Left = 8
      Top = 1
      Width = 200
      Height = 17
      Caption = 'Suchen und Ersetzen'
      OnClick = cb_suchenClick
    end
    object Label1: TLabel
      Left = 8
      Top = 28
      Caption = 'Suchen nach:'
    end
    object s_nach: TEdit
      Left = 100
      Top = 24
      Width = 210
      Height = 21
      Text = ''
      OnChange = AutoUpdate
    end
    object Label2: TLabel
      Left = 326
      Top = 28
      Caption = 'Ersetzen mit:'
    end
    object s_ers: TEdit
      Left = 419
      Top = 24
      Width = 210
      Height = 21
      Text = ''
      OnChange = AutoUpdate
    end
  end
  object pa_html: TPanel
    Height = 18
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object cb_html: TCheckBox
      Left = 8
      Top = 1
      Width = 300
      Height = 17
      Caption = 'HTML Tabelle erstellen'
      OnClick = cb_htmlClick
    end
  end
  object pa_einst: TPanel
    Height = 65
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    object cb_einst: TCheckBox
      Left = 8
      Top = 1
      Width = 200
      Height = 17
      Caption = 'Einstellungen anzeigen'
      OnClick = cb_einstClick
    end
    object cb_sort: TCheckBox
      Left = 8
      Top = 22
      Width = 200
      Height = 17
      Caption = 'Liste Sortieren'
      Checked = True
      OnClick = AutoUpdate
    end
    object cb_autodel: TCheckBox
      Left = 216
      Top = 22
      Width = 200
      Height = 17
      Caption = 'Alte Liste '#252'berschreiben'
      Checked = True
    end
    object cb_doppeltweg: TCheckBox
      Left = 424
      Top = 22
      Width = 205
      Height = 17
      Caption = 'Doppelte Eintr'#228'ge entfernen'
      OnClick = AutoUpdate
    end
    object cb_leereweg: TCheckBox
      Left = 8
      Top = 42
      Width = 200
      Height = 17
      Caption = 'Leere Eintr'#228'ge entfernen'
      Checked = True
      OnClick = AutoUpdate
    end
    object cb_autoupdate: TCheckBox
      Left = 216
      Top = 42
      Width = 200
      Height = 17
      Caption = 'Automatisches Update'
      Checked = True
    end
    object cb_nullen: TCheckBox
      Left = 424
      Top = 42
      Width = 205
      Height = 17
      Caption = 'F'#252'hrende Nullen bei %123%'
      Checked = True
      OnClick = AutoUpdate
    end
  end
  object pa_ausgabe: TPanel
    Height = 100
    Align = alClient
    BevelOuter = bvNone
    Caption = ''
    object pa_knoepfe: TPanel
      Height = 33
      Align = alBottom
      BevelOuter = bvNone
      Caption = ''
      object Schreiben: TButton
        Left = 8
        Top = 4
        Width = 150
        Height = 25
        Caption = 'Liste Schreiben'
        OnClick = SchreibenClick
      end
      object Speichern: TButton
        Left = 166
        Top = 4
        Width = 150
        Height = 25
        Caption = 'Liste Speichern'
        OnClick = SpeichernClick
      end
      object DelOutput: TButton
        Left = 324
        Top = 4
        Width = 150
        Height = 25
        Caption = 'Liste L'#246'schen'
        OnClick = DelOutputClick
      end
      object Button14: TButton
        Left = 482
        Top = 4
        Width = 147
        Height = 25
        Caption = 'Zwischenablage'
        OnClick = Button14Click
      end
    end
    object output: TMemo
      Align = alClient
      ScrollBars = ssBoth
      WordWrap = False
    end
  end
  object sd: TSaveDialog
    Filter = 'Text, HTML|*.txt;*.htm;*.html|BMP|*.bmp|JPEG|*.jpg;*.jpeg|GIF|*.gif'
  end
end
