object einstshortcuts: Teinstshortcuts
  Caption = 'Verkn'#252'pfungen'
  ClientWidth = 409
  ClientHeight = 554
  BorderStyle = bsSingle
  FormStyle = fsStayOnTop
  Position = poDesktopCenter
  OnCreate = FormCreate
  OnShow = FormShow
  object gb1: TGroupBox
    Left = 8
    Top = 8
    Width = 393
    Height = 80
    Caption = 'Verkn'#252'pfung mit Playlisten (*.vlm)'
    object Label1: TLabel
      Left = 10
      Top = 18
      Width = 373
      Height = 26
      AutoSize = False
      WordWrap = True
      Caption = 'Verkn'#252'pfung dieses Programms mit Playlist-Dateien (Dateiendung: .vlm)'
    end
    object Label2: TLabel
      Left = 10
      Top = 52
      Caption = 'Status:'
    end
    object ver_konfig: TLabel
      Left = 52
      Top = 52
      Caption = 'Nicht aktiv'
      Font.Color = clRed
    end
    object KonfigAn: TButton
      Left = 200
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Verkn'#252'pfen'
      OnClick = KonfigAnClick
    end
    object KonfigAus: TButton
      Left = 296
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Entfernen'
      OnClick = KonfigAusClick
    end
  end
  object gb2: TGroupBox
    Left = 8
    Top = 92
    Width = 393
    Height = 80
    Caption = 'Senden an'
    object Label7: TLabel
      Left = 10
      Top = 18
      Width = 373
      Height = 26
      AutoSize = False
      WordWrap = True
      Caption = 'Anzeige dieses Programms im "Senden an" - Explorer Kontextmen'#252
    end
    object Label8: TLabel
      Left = 10
      Top = 52
      Caption = 'Status:'
    end
    object ver_sendenan: TLabel
      Left = 52
      Top = 52
      Caption = 'Nicht aktiv'
      Font.Color = clRed
    end
    object SendenAnAn: TButton
      Left = 200
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Verkn'#252'pfen'
      OnClick = SendenAnAnClick
    end
    object SendenAnAus: TButton
      Left = 296
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Entfernen'
      OnClick = SendenAnAusClick
    end
  end
  object gb3: TGroupBox
    Left = 8
    Top = 176
    Width = 393
    Height = 80
    Caption = 'Verkn'#252'pfung mit Ordnern'
    object Label4: TLabel
      Left = 10
      Top = 18
      Width = 373
      Height = 26
      AutoSize = False
      WordWrap = True
      Caption = 'Anzeige dieses Programms im Explorer Kontextmen'#252' von Ordnern'
    end
    object Label5: TLabel
      Left = 10
      Top = 52
      Caption = 'Status:'
    end
    object ver_ordner: TLabel
      Left = 52
      Top = 52
      Caption = 'Nicht aktiv'
      Font.Color = clRed
    end
    object OrdnerAn: TButton
      Left = 200
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Verkn'#252'pfen'
      OnClick = OrdnerAnClick
    end
    object OrdnerAus: TButton
      Left = 296
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Entfernen'
      OnClick = OrdnerAusClick
    end
  end
  object gb4: TGroupBox
    Left = 8
    Top = 260
    Width = 393
    Height = 156
    Caption = 'Verkn'#252'pfung mit Dateien'
    object Label10: TLabel
      Left = 10
      Top = 18
      Width = 373
      Height = 26
      AutoSize = False
      WordWrap = True
      Caption = 'Anzeige dieses Programms im Explorer Kontextmen'#252' aller Dateien'
    end
    object Label11: TLabel
      Left = 10
      Top = 52
      Caption = 'Status:'
    end
    object ver_alledateien: TLabel
      Left = 52
      Top = 52
      Caption = 'Nicht aktiv'
      Font.Color = clRed
    end
    object AlleDateienAn: TButton
      Left = 200
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Verkn'#252'pfen'
      OnClick = AlleDateienAnClick
    end
    object AlleDateienAus: TButton
      Left = 296
      Top = 47
      Width = 90
      Height = 25
      Caption = 'Entfernen'
      OnClick = AlleDateienAusClick
    end
    object Bevel1: TBevel
      Left = 10
      Top = 80
      Width = 373
      Height = 2
      Shape = bsTopLine
    end
    object Label3: TLabel
      Left = 10
      Top = 88
      Width = 373
      Height = 30
      AutoSize = False
      WordWrap = True
      Caption = 'Anzeige dieses Programms im Explorer Kontextmen'#252' dieser Dateien:'
    end
    object beldateien: TEdit
      Left = 10
      Top = 123
      Width = 180
      Height = 21
      Text = 'mp3,wav,ogg,wma'
    end
    object BeliebigeDateienAn: TButton
      Left = 200
      Top = 121
      Width = 90
      Height = 25
      Caption = 'Verkn'#252'pfen'
      OnClick = BeliebigeDateienAnClick
    end
    object BeliebigeDateienAus: TButton
      Left = 296
      Top = 121
      Width = 90
      Height = 25
      Caption = 'Entfernen'
      OnClick = BeliebigeDateienAusClick
    end
  end
  object Label6: TLabel
    Left = 8
    Top = 422
    Width = 393
    Height = 28
    AutoSize = False
    WordWrap = True
    Caption = 'Das Programm muss f'#252'r diese '#196'nderungen als Administrator ausgef'#252'hrt werden.'
  end
  object Label9: TLabel
    Left = 8
    Top = 452
    Width = 393
    Height = 16
    AutoSize = False
    WordWrap = True
    Caption = 'Das Programm wird gerade nicht als Administrator ausgef'#252'hrt.'
  end
  object AlsAdminStarten: TButton
    Left = 8
    Top = 470
    Width = 200
    Height = 25
    Caption = 'Programm als Admin neu starten'
    OnClick = AlsAdminStartenClick
  end
  object Label12: TLabel
    Left = 8
    Top = 500
    Width = 300
    Height = 30
    AutoSize = False
    WordWrap = True
    Caption = 'Hilfe und weitere Informationen zu Verkn'#252'pfungen und Administratorrechten auf:'
  end
  object Label70: TLabel
    Left = 8
    Top = 532
    Cursor = crHandPoint
    Caption = 'example.com/de/velmaro/hilfe/verknuepfungen'
    Font.Color = clBlue
    Font.Style = [fsUnderline]
    OnClick = Label70Click
  end
  object OK: TButton
    Left = 320
    Top = 521
    Width = 81
    Height = 25
    Caption = 'OK'
    OnClick = OKClick
  end
end
