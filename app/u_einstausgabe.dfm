object einstausgabe: Teinstausgabe
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  Caption = 'Ausgabe Einstellungen'
  ClientWidth = 420
  ClientHeight = 432
  FormStyle = fsStayOnTop
  Position = poMainFormCenter
  OnCreate = FormCreate
  object GroupBox1: TGroupBox
    Left = 8
    Top = 8
    Width = 404
    Height = 112
    Caption = 'Ausgabe als Bild'
    object Label6: TLabel
      Left = 12
      Top = 20
      Caption = 'Schrift und Hintergrundfarbe bei einer Ausgabe als Bild:'
    end
    object Label3: TLabel
      Left = 12
      Top = 44
      Caption = 'Aktuelle Schrift'
      ParentFont = False
      Font.Name = 'Courier New'
      Font.Size = 8
      Font.Color = clWindowText
    end
    object Edit1: TEdit
      Left = 12
      Top = 76
      Width = 100
      Height = 21
      Color = clWhite
      ParentFont = False
      Font.Color = clBlack
      Text = '#FFFFFF'
      OnChange = Edit1Change
    end
    object BitBtn1: TButton
      Left = 120
      Top = 74
      Width = 134
      Height = 25
      Caption = 'Hintergrundfarbe..'
      OnClick = BitBtn1Click
    end
    object BitBtn6: TButton
      Left = 262
      Top = 74
      Width = 130
      Height = 25
      Caption = 'Schrift w'#228'hlen..'
      OnClick = BitBtn6Click
    end
  end
  object GroupBox2: TGroupBox
    Left = 8
    Top = 128
    Width = 404
    Height = 262
    Caption = 'Kodierung von Textdateien'
    object Label5: TLabel
      Left = 12
      Top = 20
      Caption = 'Die Textdateien werden in folgendem Format abgespeichert:'
    end
    object rb_ansi: TRadioButton
      Left = 12
      Top = 40
      Width = 380
      Height = 17
      Caption = 'ANSI Text'
      OnClick = rb_ansiClick
    end
    object rb_utf7: TRadioButton
      Left = 12
      Top = 59
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-7'
      OnClick = rb_utf7Click
    end
    object rb_utf7ansi: TRadioButton
      Left = 12
      Top = 78
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-7 als ANSI gespeichert'
      OnClick = rb_utf7ansiClick
    end
    object rb_utf8: TRadioButton
      Left = 12
      Top = 97
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-8'
      Checked = True
      OnClick = rb_utf8Click
    end
    object rb_utf16le: TRadioButton
      Left = 12
      Top = 116
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-16 Little Endian (Standard Windows Unicode)'
      OnClick = rb_utf16leClick
    end
    object rb_utf_be: TRadioButton
      Left = 12
      Top = 135
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-16 Big Endian'
      OnClick = rb_utf_beClick
    end
    object rb_utf32le: TRadioButton
      Left = 12
      Top = 154
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-32 Little Endian'
      OnClick = rb_utf32leClick
    end
    object rb_utf32be: TRadioButton
      Left = 12
      Top = 173
      Width = 380
      Height = 17
      Caption = 'Unicode UTF-32 Big Endian'
      OnClick = rb_utf32beClick
    end
    object rb_beibehalten: TRadioButton
      Left = 12
      Top = 192
      Width = 380
      Height = 17
      Caption = 'Wenn m'#246'glich, Kodierung '#252'bernehmen'
      Enabled = False
    end
    object Label4: TLabel
      Left = 12
      Top = 217
      Caption = 'Informationen zu den Formaten erhalten Sie auf dieser Seite:'
    end
    object Label7: TLabel
      Left = 12
      Top = 235
      Cursor = crHandPoint
      Caption = 'example.com/de/unicode-dateiformate'
      ParentFont = False
      Font.Color = clBlue
      Font.Style = [fsUnderline]
      OnClick = Label7Click
    end
  end
  object Button1: TButton
    Left = 332
    Top = 398
    Width = 80
    Height = 25
    Caption = 'OK'
    OnClick = Button1Click
  end
  object fd: TFontDialog
  end
  object cd: TColorDialog
  end
end
