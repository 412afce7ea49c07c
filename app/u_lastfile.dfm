object lastfiles: Tlastfiles
  Caption = 'Letzte Songs'
  ClientWidth = 420
  ClientHeight = 320
  FormStyle = fsStayOnTop
  Position = poDesktopCenter
  OnCreate = FormCreate
  OnShow = FormShow
  OnHide = FormHide
  object lf: TListView
    Left = 8
    Top = 8
    Width = 404
    Height = 264
    ViewStyle = vsReport
    ReadOnly = True
    RowSelect = True
    MultiSelect = True
    HideSelection = False
    Columns = <
      item
        Caption = 'Song'
        Width = 225
      end
      item
        Caption = 'Dateipfad'
        Width = 160
      end>
    OnDblClick = lfDblClick
    OnKeyDown = lfKeyDown
    OnColumnClick = lfColumnClick
    OnCompare = lfCompare
  end
  object Button2: TButton
    Left = 8
    Top = 282
    Width = 80
    Height = 28
    Caption = 'Speichern'
    Visible = False
  end
  object Delete: TButton
    Left = 246
    Top = 282
    Width = 80
    Height = 28
    Caption = 'L'#246'schen'
    OnClick = DeleteClick
  end
  object Button1: TButton
    Left = 332
    Top = 282
    Width = 80
    Height = 28
    Caption = 'Schlie'#223'en'
    OnClick = Button1Click
  end
end
