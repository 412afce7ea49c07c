object fehler: Tfehler
  Caption = 'Fehlermeldungen'
  ClientWidth = 514
  ClientHeight = 366
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  object Memo1: TMemo
    Left = 0
    Top = 0
    Width = 514
    Height = 366
    Align = alClient
    Font.Name = 'Courier New'
    ScrollBars = ssBoth
    WordWrap = False
  end
end
