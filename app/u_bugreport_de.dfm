object bugreport_de: Tbugreport_de
  Caption = 'Fehler oder Verbesserung melden'
  BorderStyle = bsToolWindow
  ClientWidth = 330
  ClientHeight = 368
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  object lb_anrede: TLabel
    Left = 16
    Top = 16
    Caption = 'Sehr geehrter Anwender,'
  end
  object lb_text1: TLabel
    Left = 16
    Top = 44
    Width = 298
    WordWrap = True
    Caption =
      'Fehler und W'#252'nsche f'#252'r Verbesserungen k'#246'nnen Sie uns auf ' +
      'unserer Support-Seite melden:'
  end
  object lk_support: TLabel
    Left = 16
    Top = 92
    Cursor = crHandPoint
    Font.Color = clBlue
    Font.Style = [fsUnderline]
    OnClick = BrowseToCaption
  end
  object lb_text2: TLabel
    Left = 16
    Top = 124
    Width = 298
    WordWrap = True
    Caption =
      'Die Angabe Ihrer E-Mail-Adresse ist dort freiwillig; mit ihr ' +
      'erhalten Sie eine Antwort.'
  end
  object lb_text3: TLabel
    Left = 16
    Top = 176
    Width = 298
    WordWrap = True
    Caption =
      'Wir schreiben auch Software nach Ihren W'#252'nschen. Mehr dazu ' +
      'auf dieser Seite:'
  end
  object lk_auftrag: TLabel
    Left = 16
    Top = 224
    Cursor = crHandPoint
    Font.Color = clBlue
    Font.Style = [fsUnderline]
    OnClick = BrowseToCaption
  end
  object Button1: TButton
    Left = 125
    Top = 324
    Width = 80
    Height = 27
    Caption = 'OK'
    Default = True
    OnClick = Button1Click
  end
end
