object einstshortcuts: Teinstshortcuts
  Caption = 'Verkn'#252'pfungen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
end
