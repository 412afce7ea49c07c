object einstausgabe: Teinstausgabe
  Caption = 'Ausgabe Einstellungen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
end
