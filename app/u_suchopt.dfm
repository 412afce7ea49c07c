object suchopt: Tsuchopt
  Caption = 'Suchoptionen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
