object suchopt: Tsuchopt
  Caption = 'Suchoptionen'
  ClientWidth = 300
  ClientHeight = 440
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  OnClose = FormClose
  object gb1: TGroupBox
    Left = 8
    Top = 8
    Width = 284
    Height = 180
    Caption = 'Diese Spalten werden durchsucht'
    object s_interpret: TCheckBox
      Left = 12
      Top = 20
      Width = 260
      Height = 17
      Caption = 'Interpret'
      Checked = True
      OnClick = AkPanel
    end
    object s_titel: TCheckBox
      Left = 12
      Top = 39
      Width = 260
      Height = 17
      Caption = 'Titel'
      Checked = True
      OnClick = AkPanel
    end
    object s_laenge: TCheckBox
      Left = 12
      Top = 58
      Width = 260
      Height = 17
      Caption = 'L'#228'nge'
      OnClick = AkPanel
    end
    object s_album: TCheckBox
      Left = 12
      Top = 77
      Width = 260
      Height = 17
      Caption = 'Album'
      Checked = True
      OnClick = AkPanel
    end
    object s_track: TCheckBox
      Left = 12
      Top = 96
      Width = 260
      Height = 17
      Caption = 'Tracknummer'
      OnClick = AkPanel
    end
    object s_jahr: TCheckBox
      Left = 12
      Top = 115
      Width = 260
      Height = 17
      Caption = 'Jahr'
      OnClick = AkPanel
    end
    object s_genre: TCheckBox
      Left = 12
      Top = 134
      Width = 260
      Height = 17
      Caption = 'Genre'
      OnClick = AkPanel
    end
    object s_datei: TCheckBox
      Left = 12
      Top = 153
      Width = 260
      Height = 17
      Caption = 'Dateiname und Pfad'
      OnClick = AkPanel
    end
  end
  object gb2: TGroupBox
    Left = 8
    Top = 196
    Width = 284
    Height = 196
    Caption = 'Einstellungen'
    object s_grkl: TCheckBox
      Left = 12
      Top = 22
      Width = 260
      Height = 17
      Caption = 'Gro'#223'- und Kleinschreibung beachten'
      OnClick = AkPanel
    end
    object s_exakt: TCheckBox
      Left = 12
      Top = 48
      Width = 260
      Height = 17
      Caption = 'Exakter Suchbegriff'
      OnClick = AkPanel
    end
    object s_ganz: TRadioButton
      Left = 12
      Top = 74
      Width = 260
      Height = 17
      Caption = 'Nach ganzem Suchbegriff suchen'
      Checked = True
      OnClick = AkPanel
    end
    object s_und: TRadioButton
      Left = 12
      Top = 100
      Width = 260
      Height = 17
      Caption = 'UND-Verkn'#252'pfung zwischen Einzelw'#246'rtern'
      OnClick = AkPanel
    end
    object s_oder: TRadioButton
      Left = 12
      Top = 126
      Width = 270
      Height = 17
      Caption = 'ODER-Verkn'#252'pfung zwischen Einzelw'#246'rtern'
      OnClick = AkPanel
    end
    object s_invers: TCheckBox
      Left = 12
      Top = 152
      Width = 260
      Height = 17
      Caption = 'Inverse Suche'
      OnClick = AkPanel
    end
  end
  object Standard: TButton
    Left = 8
    Top = 404
    Width = 90
    Height = 25
    Caption = 'Standard'
    OnClick = StandardClick
  end
  object OK: TButton
    Left = 202
    Top = 404
    Width = 90
    Height = 25
    Caption = 'OK'
    Default = True
    OnClick = OKClick
  end
end
