object bugreport_en: Tbugreport_en
  Caption = 'Report Bug or Improvement'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
