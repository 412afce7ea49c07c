object dateiquellen: Tdateiquellen
  Caption = 'Quellen der Dateien'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
