object bugreport_de: Tbugreport_de
  Caption = 'Fehler oder Verbesserung melden'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
