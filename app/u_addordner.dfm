object addordner: Taddordner
  Caption = 'Ordner hinzuf'#252'gen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
