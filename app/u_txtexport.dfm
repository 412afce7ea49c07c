object txtexport: Ttxtexport
  Caption = 'Liste exportieren'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
