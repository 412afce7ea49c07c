object dateiinfo: Tdateiinfo
  Caption = 'Datei Informationen'
  ClientWidth = 345
  ClientHeight = 208
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  object gb1: TGroupBox
    Left = 8
    Top = 4
    Width = 329
    Height = 165
    Caption = 'Datei Informationen'
    object lb_dateiname: TLabel
      Left = 10
      Top = 18
      Caption = 'Pfad und Dateiname'
      FocusControl = ed_dateiname
    end
    object ed_dateiname: TEdit
      Left = 10
      Top = 34
      Width = 309
      Height = 21
      ReadOnly = True
    end
    object lb_datei: TLabel
      Left = 10
      Top = 60
      Caption = 'Dateiname'
      FocusControl = ed_datei
    end
    object ed_datei: TEdit
      Left = 10
      Top = 76
      Width = 309
      Height = 21
      ReadOnly = True
    end
    object lb_ordner: TLabel
      Left = 10
      Top = 102
      Caption = 'Ordner'
      FocusControl = ed_ordner
    end
    object ed_ordner: TEdit
      Left = 10
      Top = 118
      Width = 205
      Height = 21
      ReadOnly = True
    end
    object Button1: TButton
      Left = 222
      Top = 116
      Width = 97
      Height = 25
      Caption = 'Ordner '#214'ffnen'
      OnClick = Button1Click
    end
  end
  object Auslesenbt: TButton
    Left = 8
    Top = 176
    Width = 100
    Height = 25
    Caption = 'Auslesen'
    OnClick = AuslesenbtClick
  end
  object clipbrd: TButton
    Left = 122
    Top = 176
    Width = 100
    Height = 25
    Caption = 'Kopieren'
    OnClick = clipbrdClick
  end
  object Schliessen: TButton
    Left = 237
    Top = 176
    Width = 100
    Height = 25
    Caption = 'Schlie'#223'en'
    OnClick = SchliessenClick
  end
end
