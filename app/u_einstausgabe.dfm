object einstausgabe: Teinstausgabe
  Caption = 'Ausgabe'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
