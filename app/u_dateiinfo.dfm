object dateiinfo: Tdateiinfo
  Caption = 'Dateiinformationen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
