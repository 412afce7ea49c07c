object dateiinfo: Tdateiinfo
  Caption = 'Datei Informationen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
end
