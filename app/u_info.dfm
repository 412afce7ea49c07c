object info: Tinfo
  Caption = 'Info'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
