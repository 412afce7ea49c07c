object fehler: Tfehler
  Caption = 'Fehlermeldungen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
