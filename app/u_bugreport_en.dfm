object bugreport_en: Tbugreport_en
  Caption = 'Report Bug or Improvement'
  BorderStyle = bsToolWindow
  ClientWidth = 312
  ClientHeight = 346
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  object lb_anrede: TLabel
    Left = 16
    Top = 16
    Caption = 'Dear User,'
  end
  object lb_text1: TLabel
    Left = 16
    Top = 44
    Width = 280
    WordWrap = True
    Caption =
      'You can report faults and wishes for improvements on our ' +
      'support page:'
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
    Width = 280
    WordWrap = True
    Caption =
      'Giving your e-mail address there is voluntary; with it you ' +
      'get an answer.'
  end
  object lb_text3: TLabel
    Left = 16
    Top = 176
    Width = 280
    WordWrap = True
    Caption =
      'We also write software made to your wishes. More on this ' +
      'page:'
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
    Left = 116
    Top = 302
    Width = 80
    Height = 27
    Caption = 'OK'
    Default = True
    OnClick = Button1Click
  end
end
