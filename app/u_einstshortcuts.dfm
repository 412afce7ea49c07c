object einstshortcuts: Teinstshortcuts
  Caption = 'Shell-Integration'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
