object addordner: Taddordner
  Caption = 'Ordner Hinzuf'#252'gen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  object Label1: TLabel
    Left = 16
    Top = 200
    Caption = '0'
  end
  object relativ: TCheckBox
    Left = 16
    Top = 168
    Width = 368
    Height = 17
    Caption = 'Dateipfad relativ zum Programmpfad (wenn m'#246'glich)'
  end
end
