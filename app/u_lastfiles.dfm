object lastfiles: Tlastfiles
  Caption = 'Letzte Songs'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
end
